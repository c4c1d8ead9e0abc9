#pragma once
// How the launch opens the local copy: by default the shell's open of the
// document; with `accessexe` or `accessargs` a program with the copy and
// Access's own switches (/wrkgrp, /runtime, /cmd, /excl).
#include <string>
#include <string_view>

namespace vorlund {

// The parameters after the program: the local copy quoted, then the
// arguments as written.
std::string LaunchParameters(const std::string& localCopy, const std::string& arguments);
// The whole command line the program gets: itself quoted, then the parameters.
std::string LaunchCommandLine(const std::string& program, const std::string& parameters);
// The command line as it may be shown: the word after each /pwd (Access's
// password switch), quoted or not, as "****".
std::string MaskPasswords(std::string_view commandLine);
// ".mdb" of "C:\Apps\lager.mdb"; empty when the name has no extension.
std::string ExtensionOf(const std::string& fileName);
// One of the extensions Access opens as a database or an application.
bool IsAccessExtension(const std::string& extension);
// An extension that Windows runs as a program (or a script, a control
// panel, a registry import), so that opening the "copy" would run it;
// `shellCallsItDangerous` is Windows' own answer (AssocIsDangerous), which
// names Access's files too, for the macros they may hold: those are never
// counted, being what the launcher is for.
bool RunsAsProgram(const std::string& extension, bool shellCallsItDangerous = false);

} // namespace vorlund
