#pragma once
#include "compiler/driver/driver.h"
