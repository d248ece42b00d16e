#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QTimer;

namespace signin {

// Watches the workstation's local IPv4 address: checks it about once a second on the
// user-interface thread. With a history it remembers the address in use each time the
// workstation goes off line (at most 25, never 127.0.0.1, never the same address twice
// in a row) and, when it is destroyed, adds the current address and writes the history
// to "iphist.dat" in the current folder, one address per line.
class AddressWatcher : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMaxHistory = 25;

    AddressWatcher(bool keepHistory, QObject* parent = nullptr);
    ~AddressWatcher() override;

    // The address found by the last check ("127.0.0.1" when off line).
    QString localAddress() const { return current_; }
    QStringList history() const { return history_; }
    // Checks the address now, as the timer does.
    void check();

    // The first non-loopback IPv4 address of the workstation, "127.0.0.1" when there is
    // none. A test may replace where the address comes from (an empty function restores
    // the workstation's).
    static QString currentAddress();
    static void setAddressSource(std::function<QString()> source);

    static QString historyFileName() { return QStringLiteral("iphist.dat"); }

  private:
    void remember(const QString& address);

    QTimer* timer_;
    bool keepHistory_;
    QString current_;
    QStringList history_;
};

}  // namespace signin
