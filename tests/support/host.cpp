#include "support/host.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace testing_support {

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string HostBinary() {
    return std::string(WAGELINK_BINARY_DIR) + "/wagelink";
}

}  // namespace

std::string Slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

HostFolder::HostFolder() {
    if (Run({"register"}).exit != 0) throw std::runtime_error("wagelink register failed");
}

HostRun HostFolder::Run(const std::vector<std::string>& args, const std::string& input) const {
    std::ofstream(dir_.File("stdin"), std::ios::binary) << input;
    std::string command = "cd " + Quote(dir_.path().string()) +
                          " && WAGELINK_REGISTRY=" + Quote(dir_.File("registry")) + " " +
                          Quote(HostBinary());
    for (const std::string& a : args) command += " " + Quote(a);
    command += " < stdin > stdout 2> stderr";
    int status = std::system(command.c_str());
    return {WEXITSTATUS(status), Slurp(dir_.File("stdout")), Slurp(dir_.File("stderr"))};
}

pid_t HostFolder::Start(const std::vector<std::string>& args, const std::string& inputFile,
                        const std::string& outputFile) const {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, inputFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::string binary = HostBinary();
    std::vector<char*> argv = {binary.data()};
    std::vector<std::string> copies(args);
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string registry = "WAGELINK_REGISTRY=" + dir_.File("registry");
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("WAGELINK_REGISTRY=", 0) != 0) env.push_back(*e);
    env.push_back(registry.data());
    env.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, binary.c_str(), &files, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&files);
    if (rc != 0) throw std::runtime_error("cannot start the host");
    return pid;
}

}  // namespace testing_support
