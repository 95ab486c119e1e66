#pragma once
// Advice to the system about the memory of large tables.

#include <cstddef>

namespace quirvex {

// Asks for a table's memory to be backed by large pages where the system offers them: a table
// of a hundred thousand items is otherwise filled one small page fault at a time, and on some
// machines those faults cost more than building the items. Call before the table is first
// written. Only advice: nothing changes for a small table or where the system says no.
void PaginasGrandes(void* inicio, std::size_t bytes);

}  // namespace quirvex
