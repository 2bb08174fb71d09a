// Resource identifiers shared by the resource script and the shell.
#pragma once

#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109
