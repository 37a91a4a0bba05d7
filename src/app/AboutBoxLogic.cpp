#include "app/AboutBoxLogic.h"

#include "util/QStrings.h"
#include "util/VersionInfo.h"

namespace sw {

TAboutBoxLogic::TAboutBoxLogic(const std::string& programFile, std::function<void(const std::string&)> openDocument)
    : programFile_(programFile), openDocument_(std::move(openDocument)) {
  TQVersionInfoRec info;
  GetVersionInfo(programFile_, info);  // without version information both fields stay empty
  lblVersion.SetCaption("Version: " + info.FileVersion);
  lblCopyright.SetCaption(info.LegalCopyright);
  btMoreInfo.OnClick = [this] { btMoreInfoClick(); };
}

std::string TAboutBoxLogic::ReadmePath() const { return JoinPath(ExtractFilePath(programFile_), "readme.txt"); }

void TAboutBoxLogic::btMoreInfoClick() {
  if (openDocument_) openDocument_(ReadmePath());
}

}  // namespace sw
