#pragma once
// What assistive technology sees of a pane: the items surface is a list whose children are the
// shown items, each with its name and its selected and focused states. Children are created
// when a reader asks for them (a folder may hold 100,000 entries) and dropped when the pane
// loads another location.

#include <QAccessibleWidget>
#include <QPointer>
#include <unordered_map>

class QWidget;

namespace quirvex {

class cVisor;

// Installs the factory that gives every pane's items surface its interface; once per process.
void InstalarFabricaAccesible();
// Drops the item children handed out for a pane's items surface (after a load).
void ReiniciarAccesibles(QWidget* superficie);

class AccesibleItemsVisor final : public QAccessibleWidget {
public:
    AccesibleItemsVisor(QWidget* superficie, cVisor* visor);
    ~AccesibleItemsVisor() override;

    int childCount() const override;
    QAccessibleInterface* child(int indice) const override;
    int indexOfChild(const QAccessibleInterface* hijo) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    void Reiniciar();
    cVisor* Visor() const { return visor_; }
    QWidget* Superficie() const { return widget(); }

private:
    QPointer<cVisor> visor_;
    mutable std::unordered_map<int, QAccessible::Id> hijos_;
};

class AccesibleItemVisor final : public QAccessibleInterface {
public:
    AccesibleItemVisor(const AccesibleItemsVisor* padre, int indice);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    int Indice() const { return indice_; }

private:
    const AccesibleItemsVisor* padre_;
    int indice_;
};

}  // namespace quirvex
