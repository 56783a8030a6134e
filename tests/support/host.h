// Running the `wagelink` host as a user runs it, in a folder of its own with its own registry.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace testing_support {

struct HostRun {
    int exit;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path);

class HostFolder {
  public:
    HostFolder();  // registers the server and platform libraries in the folder's registry
    const TempDir& dir() const { return dir_; }
    std::string File(const std::string& name) const { return dir_.File(name); }

    // Runs the host to its end with `input` on standard input.
    HostRun Run(const std::vector<std::string>& args, const std::string& input = "") const;
    // Starts the host with standard input from the file `inputFile` and standard output to
    // `outputFile`; returns its process id.
    pid_t Start(const std::vector<std::string>& args, const std::string& inputFile,
                const std::string& outputFile = "/dev/null") const;

  private:
    TempDir dir_;
};

}  // namespace testing_support
