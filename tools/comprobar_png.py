#!/usr/bin/env python3
"""Says whether a PNG file looks like a drawn window: a valid PNG of a window's size whose pixels
hold enough different colours (text, icons, frames), not one flat fill.
Usage: comprobar_png.py FILE"""
import struct
import sys
import zlib


def filas(ancho, alto, bpp, datos):
    """The unfiltered rows of a non-interlaced 8-bit image."""
    paso = ancho * bpp
    previa = bytearray(paso)
    pos = 0
    for _ in range(alto):
        filtro = datos[pos]
        fila = bytearray(datos[pos + 1:pos + 1 + paso])
        pos += 1 + paso
        for i in range(paso):
            a = fila[i - bpp] if i >= bpp else 0
            b = previa[i]
            c = previa[i - bpp] if i >= bpp else 0
            if filtro == 1:
                fila[i] = (fila[i] + a) & 0xFF
            elif filtro == 2:
                fila[i] = (fila[i] + b) & 0xFF
            elif filtro == 3:
                fila[i] = (fila[i] + (a + b) // 2) & 0xFF
            elif filtro == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                fila[i] = (fila[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
            elif filtro != 0:
                raise ValueError(f"unknown row filter {filtro}")
        yield bytes(fila)
        previa = fila


def main(ruta):
    with open(ruta, "rb") as f:
        datos = f.read()
    if datos[:8] != b"\x89PNG\r\n\x1a\n":
        return "not a PNG"
    pos, idat, cabecera = 8, b"", None
    while pos < len(datos):
        largo, tipo = struct.unpack(">I4s", datos[pos:pos + 8])
        cuerpo = datos[pos + 8:pos + 8 + largo]
        if tipo == b"IHDR":
            cabecera = struct.unpack(">IIBBBBB", cuerpo)
        elif tipo == b"IDAT":
            idat += cuerpo
        pos += 12 + largo
    if cabecera is None:
        return "no IHDR"
    ancho, alto, bits, color, _, _, entrelazado = cabecera
    bpp = {2: 3, 6: 4}.get(color)
    if bits != 8 or bpp is None or entrelazado:
        return f"unexpected format (depth {bits}, colour type {color}, interlace {entrelazado})"
    if ancho < 320 or alto < 200:
        return f"{ancho}x{alto} is smaller than a window"
    colores = set()
    for fila in filas(ancho, alto, bpp, zlib.decompress(idat)):
        colores.update(fila[i:i + 3] for i in range(0, len(fila), bpp))
    print(f"{ruta}: {ancho}x{alto}, {len(colores)} colours")
    if len(colores) < 32:
        return "too few colours for a drawn window"
    return None


if __name__ == "__main__":
    error = main(sys.argv[1])
    if error:
        print(f"{sys.argv[1]}: {error}", file=sys.stderr)
        sys.exit(1)
