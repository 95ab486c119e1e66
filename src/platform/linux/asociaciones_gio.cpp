// File associations through GIO, which reads the desktop's .desktop files and mimeapps.list.

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

#include "platform/smb.h"
#include "platform/asociaciones.h"

namespace quirvex {
namespace {

template <typename T>
struct LiberarG {
    void operator()(T* p) const { g_object_unref(p); }
};
template <typename T>
using Ref = std::unique_ptr<T, LiberarG<T>>;

std::string Texto(const char* s) { return s ? s : ""; }

Aplicacion De(GAppInfo* a) {
    return Aplicacion{Texto(g_app_info_get_id(a)), Texto(g_app_info_get_display_name(a)),
                      Texto(g_app_info_get_commandline(a))};
}

std::vector<Aplicacion> DeLista(GList* lista) {
    std::vector<Aplicacion> r;
    for (GList* l = lista; l; l = l->next) r.push_back(De(G_APP_INFO(l->data)));
    g_list_free_full(lista, g_object_unref);
    return r;
}

Ref<GAppInfo> Buscar(const std::string& id) {
    return Ref<GAppInfo>(G_APP_INFO(g_desktop_app_info_new(id.c_str())));
}

// A share's file goes to the program as its smb:// address: its path read locally would name
// another file of this machine.
GFile* ArchivoGio(const std::string& ruta) {
    return EsRutaRed(ruta) ? g_file_new_for_uri(UrlSmb(ruta).c_str()) : g_file_new_for_path(ruta.c_str());
}

class AsociacionesGio final : public Asociaciones {
public:
    std::string TipoDe(const std::string& ruta) override {
        // A share's content is not read for its type: the name tells it without a round trip.
        if (EsRutaRed(ruta)) return Adivinar(ruta);
        Ref<GFile> f(g_file_new_for_path(ruta.c_str()));
        Ref<GFileInfo> info(g_file_query_info(f.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                              G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
        const char* tipo = info ? g_file_info_get_content_type(info.get()) : nullptr;
        if (!tipo) return Adivinar(ruta);  // vanished or unreadable: from the name alone
        return Mime(tipo);
    }

    std::optional<Aplicacion> PorDefecto(const std::string& tipo) override {
        Ref<GAppInfo> a(g_app_info_get_default_for_type(tipo.c_str(), FALSE));
        if (!a) return std::nullopt;
        return De(a.get());
    }

    std::vector<Aplicacion> Recomendadas(const std::string& tipo) override {
        return DeLista(g_app_info_get_recommended_for_type(tipo.c_str()));
    }

    std::vector<Aplicacion> Todas() override {
        std::vector<Aplicacion> r;
        GList* lista = g_app_info_get_all();
        for (GList* l = lista; l; l = l->next)
            if (g_app_info_should_show(G_APP_INFO(l->data))) r.push_back(De(G_APP_INFO(l->data)));
        g_list_free_full(lista, g_object_unref);
        return r;
    }

    bool Lanzar(const std::string& id, const std::string& ruta) override {
        auto a = Buscar(id);
        if (!a) return false;
        Ref<GFile> f(ArchivoGio(ruta));
        GList archivos{f.get(), nullptr, nullptr};
        return g_app_info_launch(a.get(), &archivos, nullptr, nullptr);
    }

    bool Recordar(const std::string& id, const std::string& tipo) override {
        auto a = Buscar(id);
        if (!a) return false;
        const bool sinDefecto = !PorDefecto(tipo).has_value();
        bool ok = g_app_info_set_as_last_used_for_type(a.get(), tipo.c_str(), nullptr);
        if (sinDefecto) ok = g_app_info_set_as_default_for_type(a.get(), tipo.c_str(), nullptr) && ok;
        return ok;
    }

private:
    static std::string Adivinar(const std::string& ruta) {
        gchar* g = g_content_type_guess(ruta.c_str(), nullptr, 0, nullptr);
        std::string r = Mime(g);
        g_free(g);
        return r;
    }

    static std::string Mime(const char* tipo) {
        gchar* m = g_content_type_get_mime_type(tipo);
        std::string r = m ? m : Texto(tipo);
        g_free(m);
        return r;
    }
};

Asociaciones* g_reemplazo = nullptr;

}  // namespace

Asociaciones& AsociacionesSistema() {
    static AsociacionesGio real;
    return g_reemplazo ? *g_reemplazo : real;
}

void SetAsociaciones(Asociaciones* a) { g_reemplazo = a; }

}  // namespace quirvex
