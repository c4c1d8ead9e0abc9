#pragma once
// Ctrl+C, Ctrl+Break and a closed console window end a console program at
// once, in the middle of whatever it does. Handled here, they only ask the
// publish to stop at its next safe point; for a closed window, Windows waits
// a few seconds for the handler, which holds on until the publish says it
// is done. (Logoff and shutdown reach services only: an interactive
// program is ended, and the next publish clears what it left.)
namespace vorlund::publish {

void HandleConsoleStops();
bool ConsoleStopRequested();
// Lets a held close, logoff or shutdown go on: the publish has finished.
void ConsoleWorkDone();

} // namespace vorlund::publish
