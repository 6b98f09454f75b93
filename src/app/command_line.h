#pragma once

// The program's command line, read the GNU way: long options, "--data FOLDER" or
// "--data=FOLDER", "--" ends the options.

#include <QString>
#include <QStringList>

namespace tamsel::app {

struct CommandLine {
    enum class Action { Run, Help, Version, SelfCheck, Screenshots, Usage };
    Action action = Action::Run;
    QString dataFolder;        // --data: empty when not given
    QString screenshotsFolder; // --screenshots
    QString error;             // Usage: what was wrong, for stderr
};

// arguments without the program name.
CommandLine parseCommandLine(const QStringList& arguments);

QString helpText();
QString versionText();
// The two lines GNU programs print for a wrong command line.
QString usageErrorText(const QString& error);

} // namespace tamsel::app
