#pragma once
// Ctrl+C, Ctrl+Break, a closed console window, logoff and shutdown end a
// console program at once, in the middle of whatever it does. Handled here,
// they only ask the publish to stop at its next safe point; for the last
// three, Windows waits a few seconds for the handler, which holds on until
// the publish says it is done.
namespace vorlund::publish {

void HandleConsoleStops();
bool ConsoleStopRequested();
// Lets a held close, logoff or shutdown go on: the publish has finished.
void ConsoleWorkDone();

} // namespace vorlund::publish
