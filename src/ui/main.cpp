// The desktop program's start: titles the application "Shelfwright", installs
// the Qt way of talking to the user, creates the main window and the about
// box, and runs the event loop until the main window closes.
//
//   shelfwright [--settings FILE]
//
// Without --settings the settings file is found as the command-line program
// finds it (beside the program for a portable installation, otherwise in the
// user's configuration folder). A settings file named with --settings that
// does not exist is offered for creation (No quits); a folder or a file that
// is no settings file is refused with an error and the program ends with
// status 1, writing nothing. --help and --version print without creating
// the application, so that they work where no display is available.
#include <QApplication>
#include <QCommandLineParser>
#include <cstring>
#include <iostream>

#include "BuildInfo.h"
#include "platform/FileSystem.h"
#include "platform/SettingsLocation.h"
#include "ui/Binding.h"
#include "ui/MainWindow.h"
#include "ui/QtUserInteraction.h"
#include "ui/Termination.h"

namespace {

constexpr const char* kDescription =
    "Shelfwright keeps the translation libraries of Windows applications and turns their\n"
    "resources, forms, units and resource scripts into language files.";

// Answers true (and prints) when the command line asks only for help or the
// version; the first such option wins, as with the Qt parser.
bool PrintInformationOnly(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) return false;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "-?") == 0 ||
        std::strcmp(arg, "--help-all") == 0) {
      std::cout << "Usage: shelfwright [options]\n"
                << kDescription << "\n\n"
                << "Options:\n"
                << "  -h, --help       Displays help on commandline options.\n"
                << "  -v, --version    Displays version information.\n"
                << "  --settings FILE  Use FILE as the settings file (offered for creation when\n"
                << "                   it does not exist).\n\n"
                << "Without --settings the settings file is the one beside the program\n"
                << "(shelfwright.ini, for a portable installation) or else\n"
                << "$XDG_CONFIG_HOME/shelfwright/shelfwright.ini.\n";
      return true;
    }
    if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-v") == 0) {
      std::cout << "Shelfwright " << SHELFWRIGHT_VERSION << "\n";
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (PrintInformationOnly(argc, argv)) return 0;
  QApplication app(argc, argv);
  QApplication::setApplicationName("Shelfwright");
  QApplication::setApplicationDisplayName("Shelfwright");
  QApplication::setApplicationVersion(SHELFWRIGHT_VERSION);

  QCommandLineParser parser;
  parser.setApplicationDescription(kDescription);
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption settingsOption("settings", "Use FILE as the settings file.", "FILE");
  parser.addOption(settingsOption);
  parser.process(app);  // --help and --version print and exit; unknown options exit with 1

  const std::string settingsFile =
      parser.isSet(settingsOption) ? sw::ui::FromQ(parser.value(settingsOption)) : sw::platform::SettingsFileName();
  std::string programFile = sw::platform::ExecutablePath();
  if (programFile.empty()) programFile = sw::ui::FromQ(QApplication::applicationFilePath());

  sw::ui::QtUserInteraction userInteraction;
  sw::ScopedUserInteraction installed(&userInteraction);

  sw::ui::MainWindow mainWindow(settingsFile, programFile);
  // A settings file the user named and that is missing is offered for
  // creation; the default one is simply created when first saved.
  mainWindow.Logic().SettingsGivenExplicitly = parser.isSet(settingsOption);
  mainWindow.show();
  // A logout or shutdown (SIGTERM) closes the window as the user would.
  sw::ui::CloseOnTermination(mainWindow);
  const int status = QApplication::exec();
  // A settings file that cannot be used ends the program with its own status.
  return mainWindow.Logic().Quitting ? mainWindow.Logic().ExitCode : status;
}
