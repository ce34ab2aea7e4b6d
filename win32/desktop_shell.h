#pragma once
// Starting a program or opening an address as the desktop's user, through the desktop shell.
//
// The installer runs elevated. What it starts with ShellExecuteW inherits its administrator
// token, and the shell finds the command through the classes registry, which for an elevated
// process includes HKEY_CURRENT_USER\Software\Classes: keys that the same user's unelevated
// programs can write. So the launcher and the web pages are started by the desktop's Explorer
// instead, the process that runs the user's desktop with the user's own token, the way a
// double click on the desktop would start them (its ShellExecute, reached through the desktop
// window's automation objects). When Explorer cannot be reached, nothing is started: the same
// user's programs can end Explorer whenever they like, and a direct start would then hand
// them the installer's rights again.

#include <windows.h>

enum class DesktopOpenOutcome {
  // Nothing was asked of Explorer: no desktop shell answered (none runs, none registered its
  // windows, a step of the way was refused). Nothing was started.
  kShellUnreachable,
  // Explorer was asked and did not report success: under Wine its ShellExecute answers
  // S_FALSE when the shell found nothing to start; a failure code may also mean that Explorer
  // ended during the call, after it may have started the target.
  kNotConfirmed,
  // Explorer took the request. That says nothing of whether a program then runs: Explorer may
  // queue the request, and a program may end at once.
  kRequestTaken,
};

struct DesktopOpenResult {
  DesktopOpenOutcome outcome;
  // The answer of the step that ended the way: S_OK once Explorer took the request, S_FALSE
  // when the shell reported no desktop window, or the failure code of the step.
  HRESULT result;
};

// Opens `target` (a program's path or a web address) with the desktop shell's "open" verb,
// no parameters, a normal window, with `workingFolder` (null: Explorer's choice) as the started
// program's working folder. Lets Explorer's process bring the started window to the front.
// Asks Explorer at most once and never starts anything itself. Joins a COM apartment for the
// call when the thread has none; call it on a thread that may wait for another process (the
// call waits for Explorer's answer).
DesktopOpenResult OpenAsDesktopUser(const wchar_t* target, const wchar_t* workingFolder);

// Whether the user's shell has an "open" command for addresses of `protocol` ("https"): a
// program that Explorer's "open" would start for them. It starts nothing.
bool ProtocolHasOpenCommand(const wchar_t* protocol);
