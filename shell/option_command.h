// 32790 "オプション(&O)...": the option sheet and what an accepted change means for
// the rules and for the snapshots shown.
#pragma once

void editOptions();
