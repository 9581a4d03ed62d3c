#include "shell/progress.h"
