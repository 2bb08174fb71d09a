// The program's version and its project page: the one place both are written.
//
// The version resource, the version dialog's text, the help file and the release
// zip names (./package reads KESTRIN_VERSION_TEXT from this file) all take them from
// here. Plain #defines: the resource compiler reads this file as well as C++.
#pragma once

#define KESTRIN_VERSION_MAJOR 1
#define KESTRIN_VERSION_MINOR 2
#define KESTRIN_VERSION_PATCH 5
// The version as the user sees it: the patch number in two digits.
#define KESTRIN_VERSION_TEXT "1.2.05"

// The support page the version dialog opens: the project's README.
#define KESTRIN_SUPPORT_PAGE "https://github.com/regKestrin/regKestrin/blob/main/README.md"
