#include "plugins/Word/WordPlugin.h"
