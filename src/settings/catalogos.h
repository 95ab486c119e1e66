#pragma once
// The texts of the built-in languages, in the language-file format. Listed, with their names and
// primary language ids, by IdiomasIncorporados().

#include <string_view>

namespace quirvex {

std::string_view CatalogoIngles();
std::string_view CatalogoCastellano();

}  // namespace quirvex
