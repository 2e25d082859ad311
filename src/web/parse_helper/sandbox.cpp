#include "web/parse_helper/sandbox.h"

#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace parse_helper {
namespace {

bool fail(const char* what, int error) {
  std::fprintf(stderr, "quorel-parse: %s: %s\n", what, std::strerror(error));
  return false;
}

}  // namespace

bool limitMemory(std::size_t bytes) {
  const rlimit limit{bytes, bytes};
  if (setrlimit(RLIMIT_AS, &limit) != 0) return fail("memory limit", errno);
  return true;
}

bool enterSandbox() {
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return fail("no_new_privs", errno);
  scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
  if (!filter) return fail("seccomp_init", ENOMEM);
  int rc = 0;
  auto allow = [&](int call) {
    if (rc == 0) rc = seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0);
  };
  auto allowOn = [&](int call, scmp_datum_t first) {
    if (rc == 0)
      rc = seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 1, SCMP_A0(SCMP_CMP_EQ, first));
  };
  allowOn(SCMP_SYS(read), 0);
  allowOn(SCMP_SYS(write), 1);
  allowOn(SCMP_SYS(write), 2);
  // The allocator; never a page made executable.
  for (int call : {SCMP_SYS(brk), SCMP_SYS(munmap), SCMP_SYS(mremap), SCMP_SYS(madvise)})
    allow(call);
  for (int call : {SCMP_SYS(mmap), SCMP_SYS(mprotect)}) {
    if (rc == 0)
      rc = seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 1,
                            SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0));
  }
  for (int call :
       {SCMP_SYS(futex), SCMP_SYS(clock_gettime), SCMP_SYS(gettimeofday), SCMP_SYS(sched_yield),
        SCMP_SYS(getrandom), SCMP_SYS(exit), SCMP_SYS(exit_group), SCMP_SYS(rt_sigreturn),
        SCMP_SYS(rt_sigprocmask), SCMP_SYS(getpid), SCMP_SYS(gettid)})
    allow(call);
  // abort() on a failed allocation raises SIGABRT at itself; a signal to any other process
  // (the program, or anything else of the same user) is a forbidden call like the rest.
  allowOn(SCMP_SYS(tgkill), scmp_datum_t(getpid()));
  if (rc == 0) rc = seccomp_load(filter);
  seccomp_release(filter);
  if (rc != 0) return fail("seccomp", -rc);
  return true;
}

}  // namespace parse_helper
