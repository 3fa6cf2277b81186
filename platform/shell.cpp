#include "platform/shell.h"

#include "platform/host_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Device-only tools (and mv, whose stand-in can be told to fail a rename); in simulation
// each is a shell function that calls its stand-in, which also overrides shell builtins
// such as kill.
const char* const kDeviceTools[] = {
    "mount", "umount", "e2fsck", "mke2fs", "hwclock", "date",
    "reboot", "ifconfig", "hostapd", "my-grub-install", "kill", "mv",
};

std::string sim_prelude()
{
    std::string dir = sh_quote(sim_standin_dir());
    std::string p;
    for (const char* t : kDeviceTools) {
        // A name that cannot be a shell function (my-grub-install) is no builtin either:
        // the stand-in folder at the head of PATH finds it.
        if (strchr(t, '-'))
            continue;
        p += std::string(t) + "() { " + dir + "/" + t + " \"$@\"; }; ";
    }
    return p;
}

void log_command(const char* cmdline)
{
    std::string log = std::string(sim_root()) + "/sim/commands.log";
    FILE* f = fopen(log.c_str(), "a");
    if (!f)
        return;
    fprintf(f, "%s\n", cmdline);
    fclose(f);
}

// The child of a fork in this threaded program may only call what is safe after fork:
// another thread may have held the allocator's or the environment's lock at that moment,
// and the child would wait for it for ever (its parent, the GUI thread, with it). So
// everything the child needs is made before the fork and it only calls execve.
struct ChildEnv {
    std::vector<std::string> vars;
    std::vector<char*> ptrs; // into vars, ended by a null; empty: the environment as it is

    char* const* envp() const { return ptrs.empty() ? environ : ptrs.data(); }
};

// The environment of a tool run in simulation: the stand-ins first in PATH, and the
// sandbox root for those that act on the sandbox.
ChildEnv sim_env()
{
    ChildEnv e;
    const char* path = getenv("PATH");
    e.vars.push_back("PATH=" + sim_standin_dir() + ":" + (path ? path : "/usr/bin:/bin"));
    e.vars.push_back(std::string("GPRMON_ROOT=") + sim_root());
    for (char** v = environ; *v; v++)
        if (strncmp(*v, "PATH=", 5) != 0 && strncmp(*v, "GPRMON_ROOT=", 12) != 0)
            e.vars.push_back(*v);
    for (std::string& v : e.vars)
        e.ptrs.push_back(&v[0]);
    e.ptrs.push_back(nullptr);
    return e;
}

// A program name looked up in PATH as execvp would; a name with a slash, or one that is
// not found (the exec then fails), stays as it is.
std::string in_search_path(const std::string& name)
{
    const char* path = getenv("PATH");
    if (name.empty() || name.find('/') != std::string::npos || !path)
        return name;
    const std::string dirs = path;
    for (size_t from = 0; from <= dirs.size();) {
        size_t to = dirs.find(':', from);
        if (to == std::string::npos)
            to = dirs.size();
        const std::string dir = to > from ? dirs.substr(from, to - from) : ".";
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        from = to + 1;
    }
    return name;
}

} // namespace

std::string sh_quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    q += "'";
    return q;
}

std::string sh_path(const char* device_path)
{
    return sh_quote(host_path(device_path));
}

int run_shell(const char* cmdline)
{
    if (!cmdline)
        return -1;
    std::string line;
    ChildEnv env;
    if (sim_active()) {
        log_command(cmdline);
        line = sim_prelude() + cmdline;
        env = sim_env();
    } else {
        line = cmdline;
    }
    char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), &line[0], nullptr};
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        execve("/bin/sh", argv, env.envp());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

int run_paths(const char* fmt, const char* a, const char* b)
{
    char cmd[1024];
    const int n = b ? snprintf(cmd, sizeof cmd, fmt, sh_path(a).c_str(), sh_path(b).c_str())
                    : snprintf(cmd, sizeof cmd, fmt, sh_path(a).c_str());
    if (n < 0 || size_t(n) >= sizeof cmd)
        return -1;
    return run_shell(cmd);
}

pid_t spawn_program(const char* path, char* const argv[])
{
    std::string exe = path ? path : "";
    ChildEnv env;
    if (sim_active()) {
        if (exe.find('/') == std::string::npos) {
            std::string standin = sim_standin_dir() + "/" + exe;
            if (access(standin.c_str(), X_OK) != 0)
                return -1; // never start a host daemon from a simulation
            exe = standin;
        }
        env = sim_env();
    } else {
        exe = in_search_path(exe);
    }
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        static const char here[] = "child is here\n";
        (void)!write(STDOUT_FILENO, here, sizeof here - 1); // started all the same if it fails
        execve(exe.c_str(), argv, env.envp());
        _exit(0);
    }
    return pid;
}
