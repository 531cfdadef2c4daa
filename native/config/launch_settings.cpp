#include "launch_settings.h"

LaunchSettings launchSettings;
