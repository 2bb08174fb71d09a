#include "shell/app_state.h"

HINSTANCE hInstance = nullptr;
HWND mainWindow = nullptr;
HWND toolbarWindow = nullptr;
HWND treeWindow = nullptr;
HWND statusWindow = nullptr;
HWND modelessDialog = nullptr;
HACCEL acceleratorTable = nullptr;

char windowTitle[64] = "";
char windowClassName[64] = "";
std::string helpFilePath;

int toolbarHeight = 0;
int statusHeight = 0;

uint32_t autoCheckCountdown = 0;
uint32_t autoCheckReload = 0;
bool autoCheckTriggered = false;

bool initialised = false;
bool insideOwnResize = false;

uint16_t viewState = 0;
bool operationBusy = false;
bool autoCheckOn = false;
bool clipboardOwned = false;
std::string baselineLabel;
std::string comparisonLabel;
std::string titleLabel;
bool searchResultsShown = false;
StatusCounts lastCounts{};
