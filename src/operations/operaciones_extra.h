#pragma once
// The operations beyond copy, move and delete that the queue runs through its runner hooks:
// moving to the trash, and undoing an ended operation. Both run in the queue like the others
// (same log, progress, pause and cancel), one at a time, on the interface thread.
//
// InstalarOperacionesExtra gives a queue the two runners and the record taken when an operation
// ends (what each copied or moved item is on disk then: identity, size and modification time of
// every entry), which is what an undo later compares against. The operations window installs
// them into the program's queue; tests install them into their own.

#include <cstdint>
#include <string>
#include <vector>

#include "operations/tareas.h"

namespace quirvex {

void InstalarOperacionesExtra(cTareas& tareas);

// Del while the trash option is on: the items that can go to their volume's trash are queued
// to go there (no question: they can be restored); for the others the user is asked whether to
// delete them for good, and only a yes queues their permanent delete. The index of the last
// operation queued, or -1 when none was.
std::int64_t EnviarAPapelera(const std::string& carpeta, const std::vector<std::string>& rutas,
                             cTareas& tareas = mTareas());

// The Undo button of an ended operation. A permanent delete says it cannot be undone; a copy
// asks first; a move and a trash are undone at once. The undo is queued as an operation of its
// own; an operation is undone once. The undo's index, or -1 when nothing was queued.
std::int64_t DeshacerOperacion(std::int64_t i, cTareas& tareas = mTareas());

// What lies at `ruta` now, the top entry first and every folder before its entries; links are
// described, never followed.
std::vector<HuellaNodo> TomarHuella(const std::string& ruta);

}  // namespace quirvex
