#include "settings/frm_opciones_qt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "frame/marco_qt.h"
#include "operations/frm_sel_qt.h"
#include "platform/dialogos.h"
#include "settings/almacen_registro.h"
#include "settings/descarga_qt.h"
#include "settings/elegir_carpeta_qt.h"
#include "settings/fuente_especial_qt.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

QString T(int seccion, int clave) { return QString::fromStdString(Texto(seccion, clave)); }
QString SinAmpersand(QString s) { return s.remove(QLatin1Char('&')); }
QString Nativo(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }
std::string Bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

// The title of the default folder's browser, the same in every language.
constexpr const char* kTituloCarpetaDefecto = "Seleccione la carpeta por defecto:";

int Marca(const QCheckBox* c) { return c->isChecked() ? 1 : 0; }

QListWidget* ListaExtensionesWidget(QWidget* padre, auto items) {
    auto* l = new QListWidget(padre);
    l->setSelectionMode(QAbstractItemView::MultiSelection);
    for (std::string_view i : items) l->addItem(QString::fromLatin1(i.data(), static_cast<int>(i.size())));
    l->setMaximumHeight(110);
    l->setFlow(QListView::LeftToRight);
    l->setWrapping(true);
    return l;
}

template <std::size_t N>
void PonerLista(QListWidget* l, const std::array<bool, N>& elegidos) {
    for (std::size_t i = 0; i < N; ++i) l->item(static_cast<int>(i))->setSelected(elegidos[i]);
}

template <std::size_t N>
std::array<bool, N> LeerLista(const QListWidget* l) {
    std::array<bool, N> r{};
    for (std::size_t i = 0; i < N; ++i) r[i] = l->item(static_cast<int>(i))->isSelected();
    return r;
}

QButtonGroup* Grupo(QWidget* padre, auto& opciones) {
    auto* g = new QButtonGroup(padre);
    for (std::size_t i = 0; i < opciones.size(); ++i) {
        opciones[i] = new QRadioButton(padre);
        g->addButton(opciones[i], static_cast<int>(i));
    }
    return g;
}

void Marcar(QButtonGroup* g, int id) {
    if (QAbstractButton* b = g->button(id)) b->setChecked(true);
}

QLineEdit* CajaDigitos(QWidget* padre) {
    auto* t = new QLineEdit(padre);
    // Only the digits 0-9 can be typed or pasted; backspace works as usual.
    t->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), t));
    t->setMaximumWidth(90);
    return t;
}

}  // namespace

frmO::frmO(Marco* marco, QWidget* padre) : QDialog(padre), marco_(marco) {
    setObjectName("frmO");
    Construir();
    SetIdioma();
    CargarEnVentana();
    Conectar();
    ConstruirAtajosPaginas();
}

QWidget* frmO::pic(int i) const { return paginas_->widget(i); }

void frmO::Construir() {
    Tabs_ = new QTabBar(this);
    for (int i = 0; i < 6; ++i) Tabs_->addTab(QString());
    paginas_ = new QStackedWidget(this);
    paginas_->addWidget(PaginaExplorador());
    paginas_->addWidget(PaginaTabs());
    paginas_->addWidget(PaginaVisor());
    paginas_->addWidget(PaginaIconos());
    paginas_->addWidget(PaginaSeleccion());
    paginas_->addWidget(PaginaOtros());
    cmdAceptar_ = new QPushButton(this);
    cmdAplicar_ = new QPushButton(this);
    cmdCancelar_ = new QPushButton(this);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(cmdAceptar_);
    botones->addWidget(cmdAplicar_);
    botones->addWidget(cmdCancelar_);
    auto* capas = new QVBoxLayout(this);
    capas->addWidget(Tabs_);
    capas->addWidget(paginas_, 1);
    capas->addLayout(botones);
    resize(560, 420);
}

QWidget* frmO::PaginaExplorador() {
    auto* p = new QWidget(this);
    fraD_ = new QGroupBox(p);
    grupoDcarpeta_ = Grupo(fraD_, optDcarpeta_);
    txtDefaultFolder_ = new QLineEdit(fraD_);
    cmdSetDefaultFolder_ = new QPushButton(fraD_);
    auto* d = new QGridLayout(fraD_);
    d->addWidget(optDcarpeta_[0], 0, 0);
    d->addWidget(txtDefaultFolder_, 0, 1);
    d->addWidget(cmdSetDefaultFolder_, 0, 2);
    for (int i = 1; i < 5; ++i) d->addWidget(optDcarpeta_[static_cast<size_t>(i)], i, 0, 1, 3);
    d->setColumnStretch(1, 1);
    fraI_ = new QGroupBox(p);
    chkDhistorial_ = new QCheckBox(fraI_);
    chkDauto_ = new QCheckBox(fraI_);
    cmdDborrar_ = new QPushButton(fraI_);
    auto* h = new QVBoxLayout(fraI_);
    h->addWidget(chkDhistorial_);
    h->addWidget(chkDauto_);
    h->addWidget(cmdDborrar_, 0, Qt::AlignLeft);
    chkHdesktopIni_ = new QCheckBox(p);
    chkOcultos_ = new QCheckBox(p);
    chkPapelera_ = new QCheckBox(p);
    auto* capas = new QVBoxLayout(p);
    capas->addWidget(fraD_);
    capas->addWidget(fraI_);
    capas->addWidget(chkHdesktopIni_);
    capas->addWidget(chkOcultos_);
    capas->addWidget(chkPapelera_);
    capas->addStretch(1);
    return p;
}

QWidget* frmO::PaginaTabs() {
    auto* p = new QWidget(this);
    chkP_ = new QCheckBox(p);
    chkP_->setChecked(true);
    fraP_ = new QGroupBox(p);
    grupoPpos_ = Grupo(fraP_, optPpos_);
    chkPcerrar_ = new QCheckBox(fraP_);
    lblTmaxW_ = new QLabel(fraP_);
    txtPmaxW_ = CajaDigitos(fraP_);
    auto* g = new QGridLayout(fraP_);
    g->addWidget(optPpos_[0], 0, 0);
    g->addWidget(optPpos_[1], 0, 1);
    g->addWidget(chkPcerrar_, 1, 0, 1, 2);
    lblTmaxW_->setBuddy(txtPmaxW_);
    g->addWidget(lblTmaxW_, 2, 0);
    g->addWidget(txtPmaxW_, 2, 1);
    chkResTabs_ = new QCheckBox(p);
    auto* capas = new QVBoxLayout(p);
    capas->addWidget(chkP_);
    capas->addWidget(fraP_);
    capas->addWidget(chkResTabs_);
    capas->addStretch(1);
    return p;
}

QWidget* frmO::PaginaVisor() {
    auto* p = new QWidget(this);
    lblVista_ = new QLabel(p);
    cboDefaultView_ = new QComboBox(p);
    for (int i = 0; i < 3; ++i) cboDefaultView_->addItem(QString());
    fraVP_ = new QGroupBox(p);
    lstPrevia_ = ListaExtensionesWidget(fraVP_, EXTENSIONES_PREVIA);
    auto* g = new QGridLayout(fraVP_);
    g->addWidget(lstPrevia_, 0, 0, 1, 2);
    for (int i = 0; i < 2; ++i) {
        chkVPlimite_[static_cast<size_t>(i)] = new QCheckBox(fraVP_);
        txtImgMax_[static_cast<size_t>(i)] = CajaDigitos(fraVP_);
        g->addWidget(chkVPlimite_[static_cast<size_t>(i)], i + 1, 0);
        g->addWidget(txtImgMax_[static_cast<size_t>(i)], i + 1, 1);
    }
    lblVista_->setBuddy(cboDefaultView_);
    auto* fila = new QHBoxLayout;
    fila->addWidget(lblVista_);
    fila->addWidget(cboDefaultView_, 1);
    auto* capas = new QVBoxLayout(p);
    capas->addLayout(fila);
    capas->addWidget(fraVP_);
    capas->addStretch(1);
    return p;
}

QWidget* frmO::PaginaIconos() {
    auto* p = new QWidget(this);
    fraIco_ = new QGroupBox(p);
    lstCargar_ = ListaExtensionesWidget(fraIco_, EXTENSIONES_CARGAR);
    (new QVBoxLayout(fraIco_))->addWidget(lstCargar_);
    fraAD_ = new QGroupBox(p);
    chkADflecha_ = new QCheckBox(fraAD_);
    chkADflechaT_ = new QCheckBox(fraAD_);
    chkADicono_ = new QCheckBox(fraAD_);
    auto* a = new QVBoxLayout(fraAD_);
    a->addWidget(chkADflecha_);
    a->addWidget(chkADflechaT_);
    a->addWidget(chkADicono_);
    auto* capas = new QVBoxLayout(p);
    capas->addWidget(fraIco_);
    capas->addWidget(fraAD_);
    capas->addStretch(1);
    return p;
}

QWidget* frmO::PaginaSeleccion() {
    auto* p = new QWidget(this);
    fraS_ = new QGroupBox(p);
    grupoSestilo_ = Grupo(fraS_, optSestilo_);
    auto* s = new QVBoxLayout(fraS_);
    for (QRadioButton* o : optSestilo_) s->addWidget(o);
    chkSomitir_ = new QCheckBox(p);
    chkSomitir_->setMinimumWidth(200);
    cmdSetSelector_ = new QPushButton(p);
    auto* capas = new QVBoxLayout(p);
    capas->addWidget(fraS_);
    capas->addWidget(chkSomitir_);
    capas->addWidget(cmdSetSelector_, 0, Qt::AlignLeft);
    capas->addStretch(1);
    return p;
}

QWidget* frmO::PaginaOtros() {
    auto* p = new QWidget(this);
    chkNfuente_ = new QCheckBox(p);
    cmdInstalarFuente_ = new QPushButton(p);
    lblDireccionFuente_ = new QLabel(p);
    txtDireccionFuente_ = new QLineEdit(p);
    txtDireccionFuente_->setObjectName(QStringLiteral("txtDireccionFuente"));
    lblDireccionFuente_->setBuddy(txtDireccionFuente_);
    grupoIdioma_ = Grupo(p, optIdioma_);
    cboIdioma_ = new QComboBox(p);
    for (const IdiomaIncorporado& i : IdiomasIncorporados())
        cboIdioma_->addItem(QString::fromUtf8(i.nombre.data(), static_cast<int>(i.nombre.size())));
    txtIruta_ = new QLineEdit(p);
    cmdIelegir_ = new QPushButton(p);
    auto* g = new QGridLayout(p);
    g->addWidget(chkNfuente_, 0, 0, 1, 2);
    // Where the download button fetches the font from, beside it.
    auto* fila = new QHBoxLayout;
    fila->addWidget(cmdInstalarFuente_);
    fila->addWidget(lblDireccionFuente_);
    fila->addWidget(txtDireccionFuente_, 1);
    g->addLayout(fila, 1, 0, 1, 2);
    g->addWidget(optIdioma_[0], 2, 0);
    g->addWidget(cboIdioma_, 2, 1);
    g->addWidget(optIdioma_[1], 3, 0);
    g->addWidget(txtIruta_, 3, 1);
    g->addWidget(cmdIelegir_, 4, 1, Qt::AlignLeft);
    g->setRowStretch(5, 1);
    g->setColumnStretch(1, 1);
    return p;
}

void frmO::Conectar() {
    for (QCheckBox* c : findChildren<QCheckBox*>())
        connect(c, &QCheckBox::toggled, this, [this] { Cambio(); });
    for (QLineEdit* t : findChildren<QLineEdit*>())
        connect(t, &QLineEdit::textChanged, this, [this] { Cambio(); });
    for (QComboBox* c : {cboDefaultView_, cboIdioma_})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { Cambio(); });
    for (QListWidget* l : {lstPrevia_, lstCargar_})
        connect(l, &QListWidget::itemSelectionChanged, this, [this] { Cambio(); });
    for (QButtonGroup* g : {grupoPpos_, grupoSestilo_, grupoIdioma_})
        connect(g, &QButtonGroup::idToggled, this, [this](int, bool on) {
            if (on) Cambio();
        });
    connect(grupoDcarpeta_, &QButtonGroup::idClicked, this, [this](int i) { optDcarpeta_Click(i); });
    connect(txtIruta_, &QLineEdit::textEdited, this, [this] { optIdioma_[1]->setChecked(true); });
    connect(chkP_, &QCheckBox::toggled, this, [this] { chkP_Click(); });
    connect(Tabs_, &QTabBar::currentChanged, this, [this](int i) { Tabs_Click(i + 1); });
    connect(cmdAplicar_, &QPushButton::clicked, this, [this] { cmdAplicar_Click(); });
    connect(cmdAceptar_, &QPushButton::clicked, this, [this] { cmdAceptar_Click(); });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] { cmdCancelar_Click(); });
    connect(cmdDborrar_, &QPushButton::clicked, this, [this] { cmdDborrar_Click(); });
    connect(cmdSetDefaultFolder_, &QPushButton::clicked, this, [this] { cmdSetDefaultFolder_Click(); });
    connect(cmdInstalarFuente_, &QPushButton::clicked, this, [this] { cmdInstalarFuente_Click(); });
    connect(cmdSetSelector_, &QPushButton::clicked, this, [this] {
        frmSel s(this);
        s.exec();
    });
}

void frmO::SetIdioma() {
    setWindowTitle(T(frmOptions, 0));
    for (int i = 0; i < 6; ++i) Tabs_->setTabText(i, T(frmOptions, i + 1));
    chkHdesktopIni_->setText(T(frmOptions, 38));
    chkOcultos_->setText(T(frmOptions, 200));
    chkPapelera_->setText(T(frmOptions, 201));
    chkResTabs_->setText(T(frmOptions, 25));
    chkDhistorial_->setText(T(frmOptions, 7));
    chkDauto_->setText(T(frmOptions, 8));
    cmdDborrar_->setText(T(frmOptions, 9));
    fraVP_->setTitle(T(frmOptions, 10));
    chkNfuente_->setText(T(frmOptions, 11));
    cmdInstalarFuente_->setText(T(frmOptions, 12));
    lblDireccionFuente_->setText(T(frmOptions, 160));
    chkP_->setText(T(frmOptions, 13).trimmed());
    fraP_->setTitle(T(frmOptions, 13).trimmed());
    optPpos_[0]->setText(T(frmOptions, 14));
    optPpos_[1]->setText(T(frmOptions, 15));
    chkPcerrar_->setText(T(frmOptions, 16));
    lblTmaxW_->setText(T(frmOptions, 17));
    lblVista_->setText(T(frmOptions, 18));
    fraD_->setTitle(T(frmOptions, 19));
    fraS_->setTitle(T(frmOptions, 20));
    cmdSetSelector_->setText(T(frmOptions, 21));
    cmdSetDefaultFolder_->setText(T(frmOptions, 24));
    chkSomitir_->setText(T(frmOptions, 26));
    fraI_->setTitle(T(frmOptions, 27));
    chkADflecha_->setText(T(frmOptions, 28));
    chkADflechaT_->setText(T(frmOptions, 29));
    chkADicono_->setText(T(frmOptions, 30));
    chkVPlimite_[0]->setText(T(frmOptions, 31));
    chkVPlimite_[1]->setText(T(frmOptions, 32));
    fraIco_->setTitle(T(frmOptions, 33));
    fraAD_->setTitle(T(frmOptions, 34));
    optIdioma_[0]->setText(T(frmOptions, 35));
    optIdioma_[1]->setText(T(frmOptions, 36));
    cmdIelegir_->setText(T(frmOptions, 37));
    optSestilo_[0]->setText(QStringLiteral("Windows &95/98/ME"));
    optSestilo_[1]->setText(QStringLiteral("Windows &XP"));
    optSestilo_[2]->setText(QStringLiteral("&Mac OSX"));
    optDcarpeta_[1]->setText(Nativo(TextoMiPC()));
    optDcarpeta_[2]->setText(Nativo(TEXTO_RED));
    optDcarpeta_[3]->setText(SinAmpersand(T(frmMainSec, 31)));
    optDcarpeta_[4]->setText(QStandardPaths::displayName(QStandardPaths::DocumentsLocation));
    const bool antes = cargando_;
    cargando_ = true;
    for (int i = 0; i < 3; ++i) cboDefaultView_->setItemText(i, SinAmpersand(T(frmMainSec, 36 + i)));
    cargando_ = antes;
    cmdAceptar_->setText(T(General, 22));
    cmdAplicar_->setText(T(General, 24));
    cmdCancelar_->setText(T(General, modificado_ ? 23 : 27));
    NombrarControles();
}

// Boxes whose caption is a check box or an option button beside them, and the lists, which
// have no caption of their own, are named for assistive tools.
void frmO::NombrarControles() {
    for (std::size_t i = 0; i < txtImgMax_.size(); ++i)
        txtImgMax_[i]->setAccessibleName(SinAmpersand(chkVPlimite_[i]->text()));
    optDcarpeta_[0]->setAccessibleName(T(General, 64));
    txtDefaultFolder_->setAccessibleName(SinAmpersand(fraD_->title()));
    cboIdioma_->setAccessibleName(SinAmpersand(optIdioma_[0]->text()));
    txtIruta_->setAccessibleName(SinAmpersand(optIdioma_[1]->text()));
    lstPrevia_->setAccessibleName(T(frmOptions, 240));
    lstCargar_->setAccessibleName(T(frmOptions, 241));
}

// Ctrl+Tab and Ctrl+PgDn go to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the previous.
void frmO::ConstruirAtajosPaginas() {
    const std::pair<QKeySequence, int> atajos[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [teclas, paso] : atajos) {
        auto* atajo = new QShortcut(teclas, this);
        connect(atajo, &QShortcut::activated, this, [this, paso = paso] {
            const int n = Tabs_->count();
            Tabs_->setCurrentIndex((Tabs_->currentIndex() + paso + n) % n);
        });
    }
}

void frmO::PonerValores(const ValoresOpciones& v) {
    cargando_ = true;
    chkHdesktopIni_->setChecked(v.HideDesktopIni == 1);
    chkResTabs_->setChecked(v.RestoreTabs == 1);
    chkDhistorial_->setChecked(v.AdminHistory == 1);
    chkDauto_->setChecked(v.Autocomplete == 1);
    chkSomitir_->setChecked(v.SelSkipChars == 1);
    Marcar(grupoPpos_, v.TabsPos);
    txtPmaxW_->setText(QString::fromStdString(v.TabsMaxWidth));
    chkPcerrar_->setChecked(v.TabsBotonCerrar == 1);
    Marcar(grupoSestilo_, v.SelectionMode);
    chkNfuente_->setChecked(v.SpecialFont == 1);
    txtDireccionFuente_->setText(QString::fromStdString(v.SpecialFontAddress));
    // The box can be ticked only when the font is there (the download button brings it).
    const bool hayFuente = FuenteEspecialDisponible();
    chkNfuente_->setEnabled(hayFuente || v.SpecialFont == 1);
    cmdInstalarFuente_->setEnabled(!hayFuente);
    Marcar(grupoDcarpeta_, v.DefaultFolderOption);
    opcionCarpeta_ = v.DefaultFolderOption;
    txtDefaultFolder_->setText(Nativo(v.DefaultFolderPath));
    cboDefaultView_->setCurrentIndex(v.DefaultView);
    Marcar(grupoIdioma_, v.ExternalLanguage);
    cboIdioma_->setCurrentIndex(v.Language);
    txtIruta_->setText(Nativo(v.ExternalLanguageFile));
    PonerLista(lstPrevia_, v.Previa);
    PonerLista(lstCargar_, v.Cargar);
    chkADflecha_->setChecked(v.DirectAccessRow == 1);
    chkADflechaT_->setChecked(v.TranslucentDirectAccessRow == 1);
    chkADicono_->setChecked(v.DirectAccessSystemIcon == 1);
    chkVPlimite_[0]->setChecked(v.LimitBmpGifPreview == 1);
    chkVPlimite_[1]->setChecked(v.LimitJpgPreview == 1);
    txtImgMax_[0]->setText(QString::fromStdString(v.BmpGifMaxSize));
    txtImgMax_[1]->setText(QString::fromStdString(v.JpgMaxSize));
    chkOcultos_->setChecked(v.ShowHiddenFiles == 1);
    chkPapelera_->setChecked(v.MoveToTrash == 1);
    cargando_ = false;
}

void frmO::CargarEnVentana() {
    PonerValores(quirvex::CargarEnVentana(Opciones()));
    SetModificado(false);
}

ValoresOpciones frmO::LeerVentana() const {
    ValoresOpciones v;
    v.HideDesktopIni = Marca(chkHdesktopIni_);
    v.RestoreTabs = Marca(chkResTabs_);
    v.AdminHistory = Marca(chkDhistorial_);
    v.Autocomplete = Marca(chkDauto_);
    v.SelSkipChars = Marca(chkSomitir_);
    v.TabsPos = std::max(grupoPpos_->checkedId(), 0);
    v.TabsMaxWidth = txtPmaxW_->text().toStdString();
    v.TabsBotonCerrar = Marca(chkPcerrar_);
    v.SelectionMode = std::max(grupoSestilo_->checkedId(), 0);
    v.SpecialFont = Marca(chkNfuente_);
    v.SpecialFontAddress = txtDireccionFuente_->text().trimmed().toStdString();
    v.DefaultFolderOption = std::max(grupoDcarpeta_->checkedId(), 0);
    v.DefaultFolderPath = Bytes(txtDefaultFolder_->text());
    v.DefaultView = std::max(cboDefaultView_->currentIndex(), 0);
    v.ExternalLanguage = std::max(grupoIdioma_->checkedId(), 0);
    v.Language = std::max(cboIdioma_->currentIndex(), 0);
    v.ExternalLanguageFile = Bytes(txtIruta_->text());
    v.Previa = LeerLista<EXTENSIONES_PREVIA.size()>(lstPrevia_);
    v.Cargar = LeerLista<EXTENSIONES_CARGAR.size()>(lstCargar_);
    v.DirectAccessRow = Marca(chkADflecha_);
    v.TranslucentDirectAccessRow = Marca(chkADflechaT_);
    v.DirectAccessSystemIcon = Marca(chkADicono_);
    v.LimitBmpGifPreview = Marca(chkVPlimite_[0]);
    v.LimitJpgPreview = Marca(chkVPlimite_[1]);
    v.BmpGifMaxSize = txtImgMax_[0]->text().toStdString();
    v.JpgMaxSize = txtImgMax_[1]->text().toStdString();
    v.ShowHiddenFiles = Marca(chkOcultos_);
    v.MoveToTrash = Marca(chkPapelera_);
    return v;
}

void frmO::SetModificado(bool modificado) {
    modificado_ = modificado;
    cmdAceptar_->setEnabled(modificado);
    cmdAplicar_->setEnabled(modificado);
    cmdCancelar_->setText(T(General, modificado ? 23 : 27));
}

void frmO::Cambio() {
    if (!cargando_) SetModificado(true);
}

void frmO::optDcarpeta_Click(int indice) {
    if (indice == 0 && txtDefaultFolder_->text().isEmpty()) {
        DialogosSistema().Mensaje(Texto(General, 34), Texto(General, 0), Botones::Aceptar,
                                  IconoMensaje::Exclamacion);
        // A start folder that names nothing cannot be chosen: the previous choice stays.
        cargando_ = true;
        Marcar(grupoDcarpeta_, opcionCarpeta_);
        cargando_ = false;
        return;
    }
    if (indice != opcionCarpeta_) {
        opcionCarpeta_ = indice;
        Cambio();
    }
}

void frmO::chkP_Click() {
    const bool activo = chkP_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{optPpos_[0], optPpos_[1], chkPcerrar_, lblTmaxW_, txtPmaxW_})
        w->setEnabled(activo);
}

void frmO::Tabs_Click(int indice) {
    if (indice >= 1 && indice <= paginas_->count()) paginas_->setCurrentIndex(indice - 1);
}

EfectosOpciones frmO::Efectos() {
    EfectosOpciones e;
    e.AplicarIdioma = [this] {
        if (marco_)
            marco_->AplicarIdioma();
        else
            AplicarTextoMiPC();
        SetIdioma();
    };
    e.RedibujarTabs = [this] {
        if (marco_) marco_->RedibujarTabs();
    };
    e.AplicarFuente = [](bool especial) { AplicarFuenteInterfaz(especial); };
    e.RecargarPaneles = [this] {
        if (marco_) marco_->RecargarPaneles();
    };
    return e;
}

void frmO::cmdAplicar_Click() {
    if (quirvex::cmdAplicar(LeerVentana(), Efectos())) SetIdioma();
    SetModificado(false);
}

void frmO::cmdAceptar_Click() {
    cmdAplicar_Click();
    close();
}

void frmO::cmdCancelar_Click() {
    CargarEnVentana();
    close();
}

void frmO::cmdDborrar_Click() {
    if (DialogosSistema().Mensaje(Texto(General, 28), Texto(General, 29), Botones::SiNoCancelar,
                                  IconoMensaje::Ninguno) == Respuesta::Si)
        RegBorrarClave(HKEY_CURRENT_USER, CLAVE_TYPED_URLS);
}

void frmO::cmdSetDefaultFolder_Click() {
    const std::string elegida = ElegirCarpeta(this, kTituloCarpetaDefecto, Bytes(txtDefaultFolder_->text()));
    if (!elegida.empty()) txtDefaultFolder_->setText(Nativo(elegida));
}

void frmO::cmdInstalarFuente_Click() {
    if (DescargandoFuente()) return;
    // The address as typed is the one used, and kept for the next time.
    const std::string direccion = txtDireccionFuente_->text().trimmed().toStdString();
    if (direccion != Opciones().SpecialFontAddress) {
        Opciones().SpecialFontAddress = direccion;
        RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Special Font Address", direccion);
    }
    const InicioDescargaFuente inicio = EmpezarDescargaFuente(ServicioFuentesPrograma());
    if (inicio.fin) return;
    if (inicio.descargar && !direccion.empty())
        DescargarFuenteAparte(direccion, inicio.destino);
    else
        FuenteTerminada(TerminarDescargaFuente(ServicioFuentesPrograma(), inicio.destino));
}

bool frmO::DescargandoFuente() const { return descarga_ && descarga_->EnCurso(); }

frmO::~frmO() = default;  // a download still running is cancelled with its object

// The download runs while every window answers; its dialog tells how far it has come and can
// stop it. The data becomes the font file only once it is whole and known to be a font.
void frmO::DescargarFuenteAparte(const std::string& direccion, const std::string& destino) {
    const QString final = QFile::decodeName(QByteArray::fromStdString(destino));
    const QString recibido = ArchivoRecibido(final);
    QFile::remove(recibido);
    descarga_ = std::make_unique<cDescarga>(QUrl(QString::fromStdString(direccion)), recibido,
                                            ServicioFuentesPrograma().Espera());
    QProgressDialog* dlg = CrearDialogoDescarga(this);
    dlgDescarga_ = dlg;
    connect(dlg, &QProgressDialog::canceled, this, [this] { CancelarDescargaFuente(); });
    descarga_->alAvanzar = [dlg](qint64 recibidos, qint64 total) { MostrarAvance(*dlg, recibidos, total); };
    descarga_->alTerminar = [this, recibido, final, destino](bool completa) {
        CerrarDialogoDescarga();
        if (completa) ColocarFuenteRecibida(recibido, final);
        FuenteTerminada(TerminarDescargaFuente(ServicioFuentesPrograma(), destino));
    };
    cmdInstalarFuente_->setEnabled(false);
    if (!descarga_->Empezar()) {
        CerrarDialogoDescarga();
        FuenteTerminada(TerminarDescargaFuente(ServicioFuentesPrograma(), destino));
        return;
    }
    dlg->show();
}

// Stopped by the user: nothing is left, nothing is said, and the button works again.
void frmO::CancelarDescargaFuente() {
    if (descarga_) descarga_->Cancelar();
    CerrarDialogoDescarga();
    cmdInstalarFuente_->setEnabled(!FuenteEspecialDisponible());
}

// Closing the dialog would tell it was cancelled: it is told nothing more first.
void frmO::CerrarDialogoDescarga() {
    if (!dlgDescarga_) return;
    dlgDescarga_->disconnect(this);
    dlgDescarga_->close();
}

void frmO::FuenteTerminada(ResultadoFuente r) {
    if (r != ResultadoFuente::Instalada) {
        cmdInstalarFuente_->setEnabled(!FuenteEspecialDisponible());
        return;
    }
    chkNfuente_->setEnabled(true);
    chkNfuente_->setChecked(true);
    cmdInstalarFuente_->setEnabled(false);
    AplicarFuenteInterfaz(true);
}

}  // namespace quirvex
