// Stops the run when the logic throws anything but a run-time failure. The page handlers trap
// every exception and log it as a line, so a library exception (an out-of-range substr, a
// length error, a failed allocation) would otherwise pass as an ordinary trapped failure;
// here it shows up as the fault it is.
#include <cxxabi.h>
#include <dlfcn.h>
#include <sanitizer/asan_interface.h>

#include <cstdio>
#include <cstdlib>
#include <typeinfo>

#include "platform/run_time_error.h"

extern "C" void __cxa_throw(void* object, std::type_info* type, void (*destroy)(void*)) {
  using Throw = void (*)(void*, std::type_info*, void (*)(void*));
  static const auto real = reinterpret_cast<Throw>(dlsym(RTLD_NEXT, "__cxa_throw"));
  if (*type != typeid(platform::RunTimeError)) {
    int status = 0;
    char* name = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
    std::fprintf(stderr, "fuzz check failed: unexpected exception %s\n",
                 status == 0 ? name : type->name());
    std::abort();
  }
  // What the sanitizer's own hook on throwing would have done: the frames being left are gone.
  __asan_handle_no_return();
  real(object, type, destroy);
  std::abort();  // not reached
}
