#include "plugins/Options/OptionsPlugin.h"
