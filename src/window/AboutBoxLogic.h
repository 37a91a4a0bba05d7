// The about box: the program's name, version and legal notice from its
// version information, and "More Info", which opens readme.txt beside the
// program with the desktop's associated application. When nothing opens it,
// the box shows the file's text itself; a missing or unreadable file is
// reported, never passed over in silence.
#pragma once

#include <functional>
#include <string>

#include "window/Controls.h"

namespace sw {

class TAboutBoxLogic {
 public:
  // `programFile` is the program's own path; its version information fills
  // the labels. `openDocument` opens a file with its associated application
  // and answers whether anything did.
  TAboutBoxLogic(const std::string& programFile, std::function<bool(const std::string&)> openDocument);

  TLabelModel AboutBox{"AboutBox", "About"};
  TLabelModel ProductName{"ProductName", "Shelfwright"};
  TLabelModel Label1{"Label1", "(Polyverb utility)"};
  TLabelModel lblVersion{"lblVersion", "Version"};
  TLabelModel lblCopyright{"lblCopyright", "Copyright"};
  TButtonModel btMoreInfo{"btMoreInfo", "More Info"};
  TButtonModel OKButton{"OKButton", "OK"};

  // The file "More Info" opens.
  std::string ReadmePath() const;

  // What "More Info" shows when no application opened the file: a title and
  // the file's text (UTF-8), or an error message.
  std::function<void(const std::string& title, const std::string& text)> OnShowText;
  std::function<void(const std::string& message)> OnShowError;

  // The most of readme.txt shown in the box.
  static constexpr std::size_t kMaxReadmeSize = 1 << 20;

 private:
  void btMoreInfoClick();
  std::string programFile_;
  std::function<bool(const std::string&)> openDocument_;
};

}  // namespace sw
