#include "signin/AddressWatcher.h"

#include <QFile>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QTextStream>
#include <QTimer>

namespace signin {

namespace {

const QString kLoopback = QStringLiteral("127.0.0.1");

std::function<QString()>& addressSource() {
    static std::function<QString()> source;
    return source;
}

}  // namespace

QString AddressWatcher::currentAddress() {
    if (addressSource()) return addressSource()();
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) return a.toString();
    }
    return kLoopback;
}

void AddressWatcher::setAddressSource(std::function<QString()> source) {
    addressSource() = std::move(source);
}

AddressWatcher::AddressWatcher(bool keepHistory, QObject* parent)
    : QObject(parent), timer_(new QTimer(this)), keepHistory_(keepHistory) {
    current_ = currentAddress();
    connect(timer_, &QTimer::timeout, this, &AddressWatcher::check);
    timer_->start(1000);
}

AddressWatcher::~AddressWatcher() {
    if (!keepHistory_) return;
    remember(current_);
    QFile file(historyFileName());
    // The history is a convenience for the administrator: a folder that cannot be
    // written must not stop the program from closing.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return;
    QTextStream out(&file);
    for (const QString& a : history_) out << a << '\n';
}

void AddressWatcher::check() {
    const QString now = currentAddress();
    if (keepHistory_ && now == kLoopback && current_ != kLoopback) remember(current_);
    current_ = now;
}

void AddressWatcher::remember(const QString& address) {
    if (address.isEmpty() || address == kLoopback) return;
    if (!history_.isEmpty() && history_.last() == address) return;
    history_.append(address);
    while (history_.size() > kMaxHistory) history_.removeFirst();
}

}  // namespace signin
