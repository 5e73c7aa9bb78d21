// Tests of the live form adapter (being written).
#include <gtest/gtest.h>
