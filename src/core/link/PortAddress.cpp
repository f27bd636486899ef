#include "core/link/PortAddress.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace korvo {

namespace {

PortAddress refused(const QString& why) {
    PortAddress a;
    a.error = why;
    return a;
}

// Host names as DNS has them: letters, digits, '-' and '.', labels of at most 63 characters.
bool isHostName(const QString& host) {
    static const QRegularExpression name(
        QStringLiteral(R"(^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)"
                       R"((\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\.?$)"));
    return host.size() <= 253 && name.match(host).hasMatch();
}

}  // namespace

PortAddress parsePortAddress(const QString& text) {
    const qsizetype sep = text.indexOf(QStringLiteral("://"));
    if (sep < 0) {
        PortAddress a;
        a.device = text;
        return a;
    }
    const QString scheme = text.left(sep).toLower();
    PortAddress a;
    if (scheme == QLatin1String("tcp")) {
        a.kind = PortAddress::Kind::Tcp;
    } else if (scheme == QLatin1String("rfc2217")) {
        a.kind = PortAddress::Kind::Rfc2217;
    } else {
        return refused(QStringLiteral("unknown kind of port \"%1://\" (tcp:// or rfc2217://)")
                           .arg(text.left(sep)));
    }
    QString rest = text.mid(sep + 3);
    if (rest.endsWith(QLatin1Char('/'))) rest.chop(1);
    if (rest.contains(QLatin1Char('/')) || rest.contains(QLatin1Char('@')) ||
        rest.contains(QLatin1Char('?')))
        return refused(QStringLiteral("only HOST:PORT may follow \"%1://\"").arg(scheme));

    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0) return refused(QStringLiteral("no ']' after the IPv6 address"));
        a.host = rest.mid(1, close - 1);
        const QHostAddress ip(a.host);
        if (ip.protocol() != QAbstractSocket::IPv6Protocol)
            return refused(QStringLiteral("\"%1\" is no IPv6 address").arg(a.host));
        if (close + 1 >= rest.size() || rest.at(close + 1) != QLatin1Char(':'))
            return refused(QStringLiteral("no port after the host"));
        portText = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0) return refused(QStringLiteral("no port after the host"));
        a.host = rest.left(colon);
        portText = rest.mid(colon + 1);
        if (a.host.contains(QLatin1Char(':')))
            return refused(QStringLiteral("an IPv6 address goes in brackets: [%1]").arg(a.host));
        if (a.host.isEmpty()) return refused(QStringLiteral("no host before the port"));
        if (!isHostName(a.host))
            return refused(QStringLiteral("\"%1\" is no host name or address").arg(a.host));
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    const int port = digits.match(portText).hasMatch() ? portText.toInt() : 0;
    if (port < 1 || port > 65535)
        return refused(QStringLiteral("port \"%1\" is not a number from 1 to 65535").arg(portText));
    a.port = static_cast<std::uint16_t>(port);
    return a;
}

QString portAddressText(const PortAddress& address) {
    if (!address.isNetwork()) return address.device;
    const QString host = address.host.contains(QLatin1Char(':'))
                             ? QStringLiteral("[%1]").arg(address.host)
                             : address.host;
    return QStringLiteral("%1://%2:%3")
        .arg(address.kind == PortAddress::Kind::Tcp ? QLatin1String("tcp")
                                                    : QLatin1String("rfc2217"))
        .arg(host)
        .arg(address.port);
}

QString baudChangeNotice(const PortAddress& address) {
    if (address.kind != PortAddress::Kind::Tcp) return {};
    return QStringLiteral(
               "%1 is a raw TCP port: a baud change does not reach the device server, whose serial "
               "port keeps its own rate; set that rate on the server")
        .arg(portAddressText(address));
}

}  // namespace korvo
