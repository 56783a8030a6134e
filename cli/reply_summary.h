// What `wagelink transact --summary` prints after an ADD reply: the records sent, how many of
// them each outcome took, and the messages met most often.
//
//   records sent: 2000
//   written: 1990
//   rejected: 8
//   not written: 2
//   not reached: 0
//   batch fault: 0
//   most frequent messages:
//     1990 成功
//
// The reply of a validate-only request is said to be one in a first line. "not reached" counts the
// records a batch fault (or an answer to the whole request) left without a result, so that the
// outcomes of the records add up to the records sent.
#pragma once

#include <string>

namespace cli {

// `recordTag` names the request's record elements ("salaryitem" or "salaryperson").
std::string ReplySummary(const std::string& request, const std::string& reply,
                         const std::string& recordTag);

}  // namespace cli
