#pragma once

// What the program is to the desktop and the terminal: names, version, icon, language, arguments.

#include <QString>
#include <QStringList>

#include <optional>

class QApplication;

// Answers --help and --version on the terminal, before any window (so without a display).
// Returns the exit code when the run ends there.
std::optional<int> AnswerOnTerminal(int argc, char** argv);

// The XML file named by the arguments Qt left (an empty text when none); nullopt after telling
// the terminal what is wrong with them.
std::optional<QString> XmlArgument(const QStringList& arguments);

// Names, version and icon shared by every window; Qt's own dialogs in the user's language.
void SetUpApplication(QApplication& application);
