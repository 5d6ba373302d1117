// The number of operator new calls the process has made so far. Linking
// brin_allocation_count replaces every ordinary new and delete with counting
// ones, so a test or benchmark can show that a piece of work allocates
// nothing: read the count before and after.
#pragma once

long AllocationCount();
