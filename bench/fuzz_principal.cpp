// The fuzz targets as plain programs, for a compiler without libFuzzer (and for the tests): every
// file named, or found directly in a folder named, is passed once to the target. A finding ends
// the program as it would end the fuzzer (a trap or a sanitizer report).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n);

namespace {

int Probar(const std::filesystem::path& archivo) {
    std::ifstream f(archivo, std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "cannot read %s\n", archivo.c_str());
        return 1;
    }
    const std::string datos((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(datos.data()), datos.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int fallos = 0, probados = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p(argv[i]);
        std::vector<std::filesystem::path> archivos;
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::directory_iterator(p))
                if (e.is_regular_file()) archivos.push_back(e.path());
        } else {
            archivos.push_back(p);
        }
        for (const auto& a : archivos) {
            fallos += Probar(a);
            ++probados;
        }
    }
    // The empty input too: every target must take it.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%d inputs, no finding\n", probados);
    return fallos == 0 && probados > 0 ? 0 : 1;
}
