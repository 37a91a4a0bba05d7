# Finds what the translators' exchange layer needs: pugixml for XML and GNU
# gettext's libgettextpo for PO files. Sets SHELFWRIGHT_EXCHANGE when both are
# there. A build without them (the Windows cross build: Debian packages
# neither for MinGW) leaves out the layer and the export/import commands; coverage (`stats`)
# lives in the storage layer and is always built.
set(SHELFWRIGHT_EXCHANGE OFF)
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(PUGIXML QUIET IMPORTED_TARGET pugixml)
endif()
if(NOT TARGET PkgConfig::PUGIXML)
  find_package(pugixml QUIET)
endif()
find_path(GETTEXTPO_INCLUDE_DIR gettext-po.h)
find_library(GETTEXTPO_LIBRARY NAMES gettextpo)
if((TARGET PkgConfig::PUGIXML OR TARGET pugixml::pugixml) AND GETTEXTPO_INCLUDE_DIR AND GETTEXTPO_LIBRARY)
  set(SHELFWRIGHT_EXCHANGE ON)
else()
  message(STATUS "pugixml or libgettextpo not found: the translators' exchange (export, import) is not built")
endif()
