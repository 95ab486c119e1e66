#pragma once
// The folder tally behind "Calculate size of folder": one pass over a folder's tree that gives
// the totals and, in the same pass, one record per direct subfolder with the totals of its own
// tree. Counts and sizes are 64-bit. Linked folders are counted as entries and never entered
// (no loops, nothing outside the tree); a folder that vanishes or is swapped for a link before
// it is read is not counted, one that cannot be read counts as an empty folder and marks the
// result incomplete.
//
// Runs on any thread: it reads through LectorSistema() and touches nothing else. The caller
// stops it with the cancel flag and may watch the running totals in ContadoresCalculo from
// another thread while it works.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quirvex {

// One direct subfolder of the tallied folder.
struct RegistroSubcarpeta {
    std::string padre;            // the tallied folder, ending in '/'
    std::string nombre;           // exact bytes
    std::int64_t archivos = 0;    // files in its whole tree
    std::int64_t carpetas = 0;    // folders in its whole tree, itself not counted
    std::int64_t tamano = 0;      // bytes of the regular files in its tree
};

struct ResultadoCalculo {
    bool existe = true;       // false: the folder itself could not be opened
    bool cancelado = false;   // stopped by the flag; the numbers are partial
    bool completo = true;     // false: some folder inside could not be read
    std::int64_t archivos = 0;
    std::int64_t carpetas = 0;
    std::int64_t tamano = 0;
    std::vector<RegistroSubcarpeta> subcarpetas;  // in the order they were met
};

// Running totals, updated after each folder is read.
struct ContadoresCalculo {
    std::atomic<std::int64_t> archivos{0};
    std::atomic<std::int64_t> carpetas{0};
    std::atomic<std::int64_t> tamano{0};
};

struct OpcionesCalculo {
    const std::atomic<bool>* cancelar = nullptr;
    ContadoresCalculo* contadores = nullptr;
    // Called on the tally's thread before each folder below the tallied one is opened, with
    // its path ending in '/'.
    std::function<void(const std::string&)> alEntrar;
};

// Tallies `carpeta` (with or without the final '/').
ResultadoCalculo CalcularCarpeta(const std::string& carpeta, const OpcionesCalculo& opciones = {});

}  // namespace quirvex
