#include "kernel_choice.h"

uint32_t MmxAvailable;
uint32_t VectorLevel;
