#pragma once
// The frame's hand-drawn controls: a tab button (tabB), the moving row that holds them
// (picTabs), the address area (picRuta) and its text box (txtRuta). Each is a thin widget that
// forwards its events to the frame's handlers by callback; the frame owns them as children and
// keeps every rule.

#include <QLineEdit>
#include <QWidget>
#include <functional>

namespace quirvex {

class MDI;

class BotonTab final : public QWidget {
public:
    BotonTab(MDI& mdi, int indice, QWidget* padre);
    int Indice() const { return indice_; }
    MDI& Marco() const { return mdi_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    // Left, Right, Home and End move the focus along the strip; Space and Enter select.
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    MDI& mdi_;
    int indice_;
};

// The row background, stretched from the strip's background picture.
class FilaTabs final : public QWidget {
public:
    FilaTabs(MDI& mdi, QWidget* padre);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    MDI& mdi_;
};

class AreaRuta final : public QWidget {
public:
    explicit AreaRuta(QWidget* padre);
    std::function<void()> alEnfocar;
    std::function<void()> alMover;
    std::function<void()> alRedimensionar;
    void SetResaltado(bool resaltado);
    void SetFondoEdicion(bool edicion);

protected:
    void paintEvent(QPaintEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    bool resaltado_ = false;
    bool edicion_ = false;
};

// Ctrl+C copies the whole address, not only the selection; Escape gives up the edit.
class CajaRuta final : public QLineEdit {
public:
    explicit CajaRuta(QWidget* padre) : QLineEdit(padre) {}
    std::function<void()> alEnfocar;
    std::function<void()> alDesenfocar;
    std::function<void()> alEnter;
    // Shift+Tab: the frame moves the focus out of the address.
    std::function<void()> alAtras;
    std::function<void()> alEscape;

protected:
    bool event(QEvent* e) override;
    bool focusNextPrevChild(bool siguiente) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

// A box that reports focus and Enter (the filter box).
class CajaAvisos final : public QLineEdit {
public:
    explicit CajaAvisos(QWidget* padre) : QLineEdit(padre) {}
    std::function<void()> alEnfocar;
    std::function<void()> alDesenfocar;
    std::function<void()> alEnter;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

// Paints one state of a tab skin over the rectangle: edges and a stretched middle.
void PintarPielTab(QPainter& p, const QRect& r, int piel, int estado);
// The close glyph at the right end of a tab button, and where it lies on the button.
void PintarGlifoCerrar(QPainter& p, const QRect& boton, bool pulsado);
QRect RectGlifoCerrar(const QRect& boton);

}  // namespace quirvex
