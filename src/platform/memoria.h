#pragma once
// Advice to the system about the memory of large tables.

#include <cstddef>

namespace quirvex {

// Asks for a table's memory to be backed by large pages where the system offers them: a table
// of a hundred thousand items is otherwise filled one small page fault at a time, and on some
// machines those faults cost more than building the items. Call before the table is first
// written. Only advice: nothing changes for a small table or where the system says no.
void PaginasGrandes(void* inicio, std::size_t bytes);

// Hands the memory the allocator holds free back to the system: after a large structure is
// built, the scratch it grew through would otherwise stay resident for the life of the process.
void DevolverMemoriaLibre();

// Says the bytes of a buffer are no longer needed (they read as zeros from here on): a large
// buffer copied piece by piece is handed back as it goes, so that the old and the new copy are
// never both resident. Only whole pages inside the range are touched.
void SoltarPaginas(void* inicio, std::size_t bytes);

}  // namespace quirvex
