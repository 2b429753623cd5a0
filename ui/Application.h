#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <string>

/// The program-wide application state the windows share: its title and help file, and the
/// application error box, the last resort for every failure that no handler catches itself.
namespace Application {

/// "Vellicor 2009 by " + the maker's web domain: the main window's caption, the caption of the
/// error box and of custom message boxes.
QString Title();
void SetTitle(const QString& title);

/// The application's help file name, handed to the help system as it is (no folder).
QString HelpFile();
void SetHelpFile(const QString& fileName);

/// Gives the sans-serif faces the program's windows and themes name a fallback to the system's UI font. A
/// system that lacks one (Wine without its Tahoma, Linux without Microsoft's faces) would otherwise show
/// the text in the first face its font database lists, often a serif one. Call once the application exists.
void InstallFontFallbacks();

/// Shows the message of a failure in the application error box: a full stop is appended when the
/// text is not empty and its last character has a higher code than the full stop; caption is the
/// title; error icon; one OK button; modal to the active window.
void ShowException(const QString& message);

/// The text ShowException shows for a message.
QString ErrorBoxText(const QString& message);

/// Runs a handler and shows whatever it lets out in the error box, so that no exception ever
/// unwinds through Qt. Returns false when the handler failed.
bool Dispatch(const std::function<void()>& handler) noexcept;

} // namespace Application

/// Converts between the program's strings (the ANSI code page: UTF-8 on Linux, CP_ACP on Windows)
/// and Qt's. Every std::string that reaches the screen passes through here.
QString ToQString(const std::string& text);
std::string FromQString(const QString& text);
