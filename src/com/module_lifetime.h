// How long a module stays loaded. Once it has handed out a class object it stays for the life of
// the process, whatever DllCanUnloadNow says: the threads that called into it keep per-thread
// state of its own (error info, code page widths), which their exit would tear down by running
// code of the module. On Windows the system is told so (the module is pinned); elsewhere our
// activation never unloads a library, and this does nothing.
#pragma once

namespace com {

void KeepModuleLoaded() noexcept;

}  // namespace com
