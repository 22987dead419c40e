#pragma once

// The run-time errors live in common/, where every deliverable finds them.
#include "common/RuntimeErrors.h"
