// What a reply says as a whole: the exit code a script reads from the host, and what
// `wagelink transact --summary` prints after an ADD reply: the records sent, how many of them each
// outcome took, the first records that were not written, and the messages met most often.
//
//   records sent: 2000
//   written: 1990                 ("would be written" after a validate-only request)
//   rejected: 8
//   not written: 2
//   not reached: 0
//   batch fault: 0
//   first records not written (n key code message):
//     17 林晓东 101 导入月份不正确！
//   most frequent messages:
//     1990 Qz.WA.EAI.00038, e.g. 成功
//     6 Qz.WA.EAI.00065, e.g. 人员编号[0020]已存在，不能重复导入！
//
// A message is counted by the catalog message it was made from (cli/message_groups.h), with the
// first text met as its example; one made from none stands for itself.
//
// The reply of a validate-only request is said to be one in a first line. "not reached" counts the
// records a batch fault (or an answer to the whole request) left without a result, so that the
// outcomes of the records add up to the records sent.
#pragma once

#include <string>

namespace cli {

// Exit codes of `wagelink transact`.
inline constexpr int kDone = 0;           // answered; every record written, every page delivered
inline constexpr int kCallFailed = 1;     // the call failed: "error NUMBER: DESCRIPTION"
inline constexpr int kUsage = 2;          // the command line is wrong
inline constexpr int kRefused = 3;        // the request as a whole refused (codes 100, 101, 710, or
                                          // the set-up's fault reply)
inline constexpr int kSomeFailed = 4;     // records rejected or not written, or a batch fault
inline constexpr int kNoRecord = 5;       // an ADD that held no record of the class
inline constexpr int kInterrupted = 130;  // SIGINT; SIGTERM gives 143

// Whether the server built the reply itself (<reply ...>): the answer to an ADD or to the whole
// request, where an export's reply echoes the request's root.
bool IsServerReply(const std::string& reply);
// An ADD's reply without a result: the request held no record of the class.
bool AnswersNoRecord(const std::string& reply);

// The exit code a reply stands for (an export's reply, which holds records, is kDone).
int ExitCodeOfReply(const std::string& reply);

// `recordTag` names the request's record elements ("salaryitem" or "salaryperson").
std::string ReplySummary(const std::string& request, const std::string& reply,
                         const std::string& recordTag);

}  // namespace cli
