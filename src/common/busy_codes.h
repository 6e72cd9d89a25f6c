// The codes of a run that found something held by another run and did nothing (exit 5): worth
// a retry later.
#pragma once

inline constexpr char kConfigurationBusyCode[] = "configuration-busy";  // the configuration's lock
inline constexpr char kSubmissionBusyCode[] = "submission-busy";        // the submission's lock
inline constexpr char kJournalBusyCode[] = "journal-busy";              // /journal:FILE, open in another run
