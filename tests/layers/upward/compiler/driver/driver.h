#pragma once
#include "compiler/base/state.h"
