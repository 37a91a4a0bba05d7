#include "window/AboutBoxLogic.h"

#include "base/Unicode.h"
#include "platform/FileSystem.h"
#include "platform/PathNames.h"
#include "base/Exceptions.h"
#include "util/VersionInfo.h"

namespace sw {

TAboutBoxLogic::TAboutBoxLogic(const std::string& programFile, std::function<bool(const std::string&)> openDocument)
    : programFile_(programFile), openDocument_(std::move(openDocument)) {
  TQVersionInfoRec info;
  GetVersionInfo(programFile_, info);  // without version information both fields stay empty
  lblVersion.SetCaption("Version: " + info.FileVersion);
  lblCopyright.SetCaption(info.LegalCopyright);
  btMoreInfo.OnClick = [this] { btMoreInfoClick(); };
}

std::string TAboutBoxLogic::ReadmePath() const { return JoinPath(ExtractFilePath(programFile_), "readme.txt"); }

void TAboutBoxLogic::btMoreInfoClick() {
  const std::string path = ReadmePath();
  auto error = [this](const std::string& message) {
    if (OnShowError) OnShowError(message);
  };
  if (!platform::FileExists(path)) return error(Format("The file %s does not exist.", path));
  if (openDocument_ && openDocument_(path)) return;
  // Nothing opened it: the text is shown here.
  std::string text;
  try {
    text = platform::ReadFileBytes(path);
  } catch (const std::exception& e) {
    return error(Format("Cannot read %s: %s", path, e.what()));
  }
  if (text.size() > kMaxReadmeSize) {
    text.resize(kMaxReadmeSize);
    // A character cut in two at the end is dropped.
    for (int i = 0; i < 3 && !text.empty() && !IsValidUtf8(text); ++i) text.pop_back();
  }
  // The read-me is UTF-8; anything else is shown byte for byte as Latin-1.
  if (!IsValidUtf8(text)) {
    std::u16string wide;
    for (const char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    text = Utf16ToUtf8(wide);
  }
  if (OnShowText) OnShowText(ExtractFileName(path), text);
}

}  // namespace sw
