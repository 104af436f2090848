#pragma once
// The sample workgroup the screenshots show: three people in a throwaway
// folder, one of them with an alert, and a configuration that names it.

#include <string>

namespace telvo {

struct SampleWorkgroup {
  std::string root;        // removed again by whoever made it
  std::string listPath;    // the workgroup list
  std::string configHome;  // to be XDG_CONFIG_HOME while the program runs
  int alertPerson = 0;     // index of the person who left an alert
};

// The user of the sample.
inline constexpr char kSampleName[] = "Pat Jones";
inline constexpr char kSampleInitials[] = "PJ";
inline constexpr char kSampleDefaultRecipient[] = "Ann Smith";

// Creates the folders, the list and the alert below a folder in /tmp.
// Returns false, having said why on standard error, when it cannot.
bool MakeSampleWorkgroup(SampleWorkgroup* sample);

}  // namespace telvo
