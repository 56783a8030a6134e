// `wagelink transact`: creates the class by ProgID, makes a login object, hands a page writer to
// AddObjectReference when pages are asked for, calls Transact by name through IDispatch, prints
// the reply (UTF-8) and returns the exit code the reply stands for (reply_summary.h).
#pragma once

#include <string>

namespace cli {

struct TransactOptions {
    std::string progId;
    std::string request;  // a file, or "-" for standard input
    std::string connection;
    int loginYear = 0;
    int loginMonth = 0;
    std::string pages;
    bool overwrite = false;
    bool validateOnly = false;
    bool summary = false;
    bool progress = false;
};

int Transact(const TransactOptions& options);

}  // namespace cli
