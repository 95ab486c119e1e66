#include "pane/imagenes_visor_qt.h"

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <QStyle>
#include <QApplication>

#include "pane/selectores_qt.h"
#include "platform/unidades.h"

namespace quirvex {

namespace {

// Adwaita lacks most specific type icons; the generic names always exist.
QIcon IconoTema(const QStringList& nombres) {
    for (const QString& n : nombres) {
        if (QIcon::hasThemeIcon(n)) return QIcon::fromTheme(n);
    }
    return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

QStringList NombresUnidad(int tipo) {
    switch (tipo) {
        case UNIDAD_REMOTA: return {"folder-remote", "network-server", "drive-harddisk"};
        case UNIDAD_OPTICA: return {"media-optical", "drive-optical", "drive-harddisk"};
        case UNIDAD_EXTRAIBLE:
        case 2: return {"drive-removable-media", "media-removable", "drive-harddisk"};
        default: return {"drive-harddisk", "drive-harddisk-system", "folder"};
    }
}

// Cache key and the theme names to try for an item.
QString ClaveItem(const ItemCarpeta& item, QStringList& nombres) {
    if (item.Tipo == TIPO_UNIDAD) {
        nombres = NombresUnidad(item.Icono + 2);
        return "U" + QString::number(item.Icono);
    }
    if (item.Tipo == TIPO_RED_COMPUTADORA) {
        nombres = {"computer", "network-workgroup", "folder-remote"};
        return "RC";
    }
    if (item.Tipo != TIPO_ARCHIVO || item.EsCarpeta()) {
        nombres = {"folder"};
        return "C";
    }
    static const QMimeDatabase mime;
    const QString nombre = QString::fromUtf8(item.Nombre);
    const QMimeType t = mime.mimeTypeForFile(nombre, QMimeDatabase::MatchExtension);
    nombres = {t.iconName(), t.genericIconName(), "text-x-generic"};
    return "A" + t.name();
}

}  // namespace

QPixmap ImagenDeItem(const ItemCarpeta& item, int lado) {
    // Lives until the process ends: icons must not be released after the application object.
    static auto& cache = *new QHash<QString, QIcon>;
    QStringList nombres;
    const QString clave = ClaveItem(item, nombres);
    auto it = cache.find(clave);
    if (it == cache.end()) it = cache.insert(clave, IconoTema(nombres));
    return it->pixmap(lado, lado);
}

QPixmap ImagenDeUbicacion(int iconoCarpeta, int lado) {
    // Drive roots carry their drive type less one; everything else shows a folder.
    const int tipo = iconoCarpeta + 1;
    if (tipo >= 2 && tipo <= UNIDAD_EXTRAIBLE) return IconoTema(NombresUnidad(tipo)).pixmap(lado, lado);
    return IconoTema({"folder-open", "folder"}).pixmap(lado, lado);
}

void PintarSelector(QPainter& p, const QRect& r, int colorSel) { PintarSeleccion(p, r, colorSel); }

}  // namespace quirvex
