// The program's one version, shown by davrel3-batch --version, the window's
// Help > About and the package: the project version, and the git commit the
// sources were at when built from a checkout.
#pragma once

#include <string>
#include <string_view>

namespace davrel3 {

// "1.0", as the project declares it.
std::string_view ProgramVersionNumber();
// The commit ("3f2a9c1b7d4e", with "-modified" for a tree with uncommitted
// changes); empty for a build outside a checkout.
std::string_view ProgramCommit();
// "1.0 (commit 3f2a9c1b7d4e)", or "1.0" without a commit.
std::string ProgramVersion();

}  // namespace davrel3
