// How the record checks and writers of an interface revision differ from the current one. The
// default is the current revision; the first revision changes every switch.
#pragma once

namespace payroll {

struct RecordRules {
    // A person name is too long beyond 40 bytes of the code page; or, when set, beyond 40 bytes
    // of UTF-16 (20 characters).
    bool nameInUtf16Bytes = false;
    // A person code must be in the person master (and fit 20 bytes of the code page); or, when
    // clear, its length in characters must equal the payroll's iPsn_len.
    bool codeInPersonMaster = true;
    // The writers take the person's name and category from the person master; or, when clear,
    // the name from the record and the category from WA_grade by the record's persongradeno.
    bool writersReadPersonMaster = true;
    // The writers trap every fault as the record's failure; or, when clear, only faults up to
    // their category lookup, the later ones ending the batch.
    bool writersTrapLateFaults = true;
    // Person records of a payroll bound to the personnel module's interface are refused.
    bool refusesPersonnelBoundPayroll = false;
};

// The current revision's rules.
inline constexpr RecordRules kCurrentRules{};

}  // namespace payroll
