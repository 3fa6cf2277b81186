#include "program_driver.h"

#include "config/xml_pars.h"
#include "screens/system_math.h"
#include "support/waits.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

bool writable(int fd)
{
    pollfd p{fd, POLLOUT, 0};
    return poll(&p, 1, 0) == 1;
}

} // namespace

bool Program::start(const Sandbox& sb, const std::string& run, const std::vector<std::string>& wrapper)
{
    out_path = sb.root() + "/sim/" + run + ".out";
    fifo = sb.root() + "/sim/keys.fifo";
    shots = sb.root() + "/sim/shots";
    mkdir(shots.c_str(), 0755);
    unlink(fifo.c_str()); // left by an earlier run in this sandbox
    if (mkfifo(fifo.c_str(), 0600) != 0)
        return false;
    pid = fork();
    if (pid == 0) {
        // A process group of its own: a test that fails ends the program behind a wrapper
        // (sim/small-partition.sh) too, not the wrapper alone. A test that dies (a sanitizer's
        // report ends it at once) takes its program along.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (chdir((sb.root() + "/work").c_str()) != 0 || !freopen(out_path.c_str(), "w", stdout))
            _exit(126);
        dup2(fileno(stdout), 2);
        setenv("GPRMON_KEYS", fifo.c_str(), 1);
        setenv("GPRMON_SHOTS", shots.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        // Line-buffered output, so that the test sees each line as it is printed (the
        // sanitizer runtime must then not insist on being loaded first).
        const char* asan = getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
        const std::string exe = std::string(GPRMON_BINARY_DIR) + "/gprmon";
        std::vector<std::string> args = wrapper;
        for (const char* a : {"stdbuf", "-oL", "-eL"})
            args.push_back(a);
        args.push_back(exe);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pid > 0)
        setpgid(pid, pid); // as the child does, whichever runs first
    // The program opens the pipe when its key script starts.
    return eventually([&] { return (fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) >= 0; }, 30);
}
void Program::send(std::initializer_list<const char*> lines)
{
    for (const char* l : lines) {
        std::string s = std::string(l) + "\n";
        for (size_t done = 0; done < s.size();) {
            const ssize_t n = write(fd, s.data() + done, s.size() - done);
            if (n > 0)
                done += size_t(n);
            else if (errno != EAGAIN || !eventually([&] { return writable(fd); }))
                return;
        }
    }
}
std::string Program::output() const { return read_file(out_path); }
size_t Program::wait_out(const std::string& needle, size_t from, double seconds) const
{
    size_t at = std::string::npos;
    eventually([&] { return (at = output().find(needle, from)) != std::string::npos; }, seconds);
    return at == std::string::npos ? at : at + needle.size();
}
bool Program::wait_shot(const std::string& name, double seconds) const
{
    // Renamed into place once written whole.
    return eventually([&] { return file_exists(shots + "/" + name + ".png"); }, seconds);
}
int Program::finish()
{
    if (pid <= 0)
        return -1;
    send({"quit"});
    if (fd >= 0)
        close(fd);
    fd = -1;
    int status = 0;
    if (eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 30)) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    kill(-pid, SIGKILL);
    waitpid(pid, &status, 0);
    pid = -1;
    return -1;
}
Program::~Program()
{
    if (fd >= 0)
        close(fd);
    if (pid > 0) {
        kill(-pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

int Program::end_with(int sig)
{
    if (pid <= 0)
        return -1;
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool link_partition(const Sandbox& sb, const char* mount_point, const char* device, bool on)
{
    const std::string m = sb.path(mount_point), d = sb.path(device);
    return system((on ? "rmdir '" + m + "' && ln -s '" + d + "' '" + m + "'"
                      : "{ [ ! -L '" + m + "' ] || rm '" + m + "'; } && { [ -d '" + m + "' ] || mkdir '" + m +
                            "'; }")
                      .c_str()) == 0;
}

bool store_settings(const Sandbox& sb, int units, const std::function<void()>& more)
{
    if (!link_partition(sb, "/mnt/hda3", "/dev/sda3", true))
        return false;
    xml_pars.Init();
    xml_pars.read_xml_tree();
    xml_pars.units = uint8_t(units);
    write_unit_defaults(units != 0); // a soil velocity in the units' own scale (300 ft/us)
    xml_pars.trigger_type = 0;
    xml_pars.wheel[xml_pars.current_wheel].wheel_calibration = 1000.0;
    for (int a = 0; a < xml_pars.antenna_count; a++)
        xml_pars.antenna[a].point_interval = units ? 0.01f : 0.3937f;
    if (more)
        more();
    const bool written = xml_pars.write_xml_tree() == 0;
    return link_partition(sb, "/mnt/hda3", "/dev/sda3", false) && written;
}

void forward_wheel()
{
    xml_pars.measurement_direction = 1;
    xml_pars.wheel[xml_pars.current_wheel].wheel_direction = 1;
}

std::vector<std::string> cart_args(const std::string& path, const std::string& speed, const std::string& max_rate)
{
    return {"--speed", speed, "--wheel-cal", "1000", "--path", path, "--max-rate", max_rate};
}
