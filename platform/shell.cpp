#include "platform/shell.h"

#include "platform/host_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    if (sim_active()) {
        log_command(cmdline);
        line = sim_prelude() + cmdline;
    } else {
        line = cmdline;
    }
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (sim_active()) {
            std::string path = sim_standin_dir() + ":" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
            setenv("PATH", path.c_str(), 1);
            setenv("GPRMON_ROOT", sim_root(), 1);
        }
        execl("/bin/sh", "sh", "-c", line.c_str(), (char*)nullptr);
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
    if (sim_active() && exe.find('/') == std::string::npos) {
        std::string standin = sim_standin_dir() + "/" + exe;
        if (access(standin.c_str(), X_OK) == 0)
            exe = standin;
        else
            return -1; // never start a host daemon from a simulation
    }
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (sim_active())
            setenv("GPRMON_ROOT", sim_root(), 1);
        puts("child is here");
        fflush(stdout);
        execvp(exe.c_str(), argv);
        _exit(0);
    }
    return pid;
}
