// The desktop program's start: titles the application "Shelfwright", installs
// the Qt way of talking to the user, creates the main window and the about
// box, and runs the event loop until the main window closes.
//
//   shelfwright [--settings FILE]
//
// Without --settings the settings file is found as the command-line program
// finds it (beside the program for a portable installation, otherwise in the
// user's configuration folder).
#include <QApplication>
#include <QCommandLineParser>

#include "BuildInfo.h"
#include "platform/FileSystem.h"
#include "platform/SettingsLocation.h"
#include "ui/Binding.h"
#include "ui/MainWindow.h"
#include "ui/QtUserInteraction.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Shelfwright");
  QApplication::setApplicationDisplayName("Shelfwright");
  QApplication::setApplicationVersion(SHELFWRIGHT_VERSION);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Shelfwright keeps the translation libraries of Windows applications and turns their\n"
      "resources, forms, units and resource scripts into language files.");
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
  mainWindow.show();
  return QApplication::exec();
}
