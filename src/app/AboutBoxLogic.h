// The about box: the program's name, version and legal notice from its
// version information, and "More Info", which opens readme.txt beside the
// program with the desktop's associated application.
#pragma once

#include <functional>
#include <string>

#include "app/Controls.h"

namespace sw {

class TAboutBoxLogic {
 public:
  // `programFile` is the program's own path; its version information fills
  // the labels. `openDocument` opens a file with its associated application.
  TAboutBoxLogic(const std::string& programFile, std::function<void(const std::string&)> openDocument);

  TLabelModel AboutBox{"AboutBox", "About"};
  TLabelModel ProductName{"ProductName", "Shelfwright"};
  TLabelModel Label1{"Label1", "(Polyverb utility)"};
  TLabelModel lblVersion{"lblVersion", "Version"};
  TLabelModel lblCopyright{"lblCopyright", "Copyright"};
  TButtonModel btMoreInfo{"btMoreInfo", "More Info"};
  TButtonModel OKButton{"OKButton", "OK"};

  // The file "More Info" opens.
  std::string ReadmePath() const;

 private:
  void btMoreInfoClick();
  std::string programFile_;
  std::function<void(const std::string&)> openDocument_;
};

}  // namespace sw
