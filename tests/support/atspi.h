#pragma once

#include "support/desktop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDebug>

namespace sorvane::testing {

// What a screen reader is told, read through AT-SPI on a desktop's accessibility bus.
class Accessibility
{
public:
    using Node = std::pair<QString, QString>; // bus name, object path
    static constexpr int stateChecked = 4;
    static constexpr int stateFocused = 12;

    struct Action
    {
        QDBusPendingCall reply;
        QElapsedTimer sent;
    };

    explicit Accessibility(const Desktop& desktop) : desktop(desktop) {}

    std::optional<QDBusConnection> bus() const
    {
        // Named after the bus: a desktop started again has buses of its own.
        QDBusConnection session = QDBusConnection::connectToBus(
            desktop.sessionAddress(), QStringLiteral("e2e-session ") + desktop.sessionAddress());
        if (!session.isConnected())
            return std::nullopt;
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
            QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
        const QDBusMessage reply = session.call(call, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        const QString address = reply.arguments().first().toString();
        QDBusConnection bus =
            QDBusConnection::connectToBus(address, QStringLiteral("e2e-a11y ") + address);
        if (!bus.isConnected())
            return std::nullopt;
        return bus;
    }

    static QList<Node> children(QDBusConnection& bus, const Node& node)
    {
        const QDBusMessage reply = callOn(bus, node, "Accessible", "GetChildren");
        QList<Node> out;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return out;
        const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
        arg.beginArray();
        while (!arg.atEnd()) {
            QString service;
            QDBusObjectPath path;
            arg.beginStructure();
            arg >> service >> path;
            arg.endStructure();
            out.append({service, path.path()});
        }
        arg.endArray();
        return out;
    }

    // A property of one of the object's AT-SPI interfaces.
    static QVariant property(QDBusConnection& bus, const Node& node, const char* interface,
                             const char* name)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            node.first, node.second, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        call << QString(QLatin1String("org.a11y.atspi.") + QLatin1String(interface))
             << QString::fromLatin1(name);
        const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant();
    }

    static QString name(QDBusConnection& bus, const Node& node)
    {
        return property(bus, node, "Accessible", "Name").toString();
    }

    // A method of one of the object's AT-SPI interfaces; its reply, or an error message.
    static QDBusMessage callOn(QDBusConnection& bus, const Node& node, const char* interface,
                               const char* method, const QVariantList& args = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            node.first, node.second, QLatin1String("org.a11y.atspi.") + QLatin1String(interface),
            QLatin1String(method));
        call.setArguments(args);
        return bus.call(call, QDBus::Block, 5000);
    }

    // The first value of a method's reply, as a string.
    static QString firstOf(const QDBusMessage& reply)
    {
        return reply.arguments().isEmpty() ? QString() : reply.arguments().first().toString();
    }

    // Where the object is on the screen, as a screen magnifier and Orca's mouse review take it.
    static QRect extents(QDBusConnection& bus, const Node& node)
    {
        const QDBusMessage reply =
            callOn(bus, node, "Component", "GetExtents", {QVariant::fromValue(uint(0))});
        int x = 0, y = 0, w = 0, h = 0;
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
            arg.beginStructure();
            arg >> x >> y >> w >> h;
            arg.endStructure();
        }
        return {x, y, w, h};
    }

    static QString role(QDBusConnection& bus, const Node& node)
    {
        return firstOf(callOn(bus, node, "Accessible", "GetRoleName"));
    }

    // Whether the object's state set holds this AT-SPI state (a bit of the first word or
    // the second).
    static bool hasState(QDBusConnection& bus, const Node& node, int state)
    {
        const QDBusMessage reply = callOn(bus, node, "Accessible", "GetState");
        if (reply.arguments().isEmpty())
            return false;
        QList<uint> words;
        reply.arguments().first().value<QDBusArgument>() >> words;
        return words.size() == 2 && (words[state / 32] >> (state % 32)) & 1u;
    }

    // Every accessible object on the desktop in the order a screen reader walks the tree,
    // with the names it reads; only those with the given role when one is given.
    static QList<std::pair<Node, QString>> objects(QDBusConnection& bus,
                                                   const QString& withRole = {})
    {
        QList<std::pair<Node, QString>> out;
        QList<Node> todo = children(bus, {QStringLiteral("org.a11y.atspi.Registry"),
                                          QStringLiteral("/org/a11y/atspi/accessible/root")});
        int visited = 0;
        while (!todo.isEmpty() && visited < 2000) {
            const Node node = todo.takeFirst();
            ++visited;
            if (withRole.isEmpty() || role(bus, node) == withRole)
                out.append({node, name(bus, node)});
            todo << children(bus, node);
        }
        return out;
    }

    // The first accessible object with this name and role.
    static std::optional<Node> find(QDBusConnection& bus, const QString& accessibleName,
                                    const QString& withRole)
    {
        for (const auto& object : objects(bus, withRole)) {
            if (object.second == accessibleName)
                return object.first;
        }
        return std::nullopt;
    }

    // Every name in the accessible tree, as a screen reader reads it; only those of objects
    // with the given role when one is given.
    QStringList names(const QString& withRole = {}) const
    {
        auto connection = bus();
        QStringList out;
        if (connection) {
            for (const auto& object : objects(*connection, withRole))
                out << object.second;
        }
        return out;
    }

    // Waits until the tree holds every one of `expected`; those it does not hold.
    QStringList missing(const QStringList& expected) const
    {
        QStringList out = expected;
        waitFor(
            [&] {
                const QStringList all = names();
                out.clear();
                for (const QString& e : expected) {
                    if (!all.contains(e))
                        out << e;
                }
                return out.isEmpty();
            },
            15000);
        return out;
    }

    // Runs the first action of the accessible object with this name and role, as a screen
    // reader's user does: the call, whose reply a screen reader waits for.
    std::optional<Action> doAction(const QString& accessibleName, const QString& withRole) const
    {
        auto connection = bus();
        if (!connection)
            return std::nullopt;
        const auto node = find(*connection, accessibleName, withRole);
        if (!node)
            return std::nullopt;
        QDBusMessage call = QDBusMessage::createMethodCall(node->first, node->second,
                                                           QStringLiteral("org.a11y.atspi.Action"),
                                                           QStringLiteral("DoAction"));
        call << 0;
        QElapsedTimer sent;
        sent.start();
        return Action{connection->asyncCall(call), sent};
    }

    // Waits, a little under a second at most, for the reply of a screen reader's action: the
    // time it took in ms, or -1 when it has not come.
    static qint64 waitForReply(Action& action)
    {
        while (!action.reply.isFinished() && action.sent.elapsed() < 900)
            QTest::qWait(5);
        return action.reply.isFinished() ? action.sent.elapsed() : -1;
    }

    // A screen reader's action that opens a box (its title matching `title`): the reply comes
    // at once, while the box it opened is still up. The box's id.
    std::optional<QString> actionAnsweredWhileItsBoxIsUp(const QString& accessibleName,
                                                         const QString& withRole,
                                                         const QString& title) const
    {
        auto action = doAction(accessibleName, withRole);
        if (!action) {
            qWarning() << "no" << withRole << accessibleName;
            return std::nullopt;
        }
        const qint64 ms = waitForReply(*action);
        const auto box = desktop.waitForWindowMatching(title);
        if (ms < 0 || !box || action->reply.isError() ||
            !QDBusPendingReply<bool>(action->reply).value()) {
            qWarning() << accessibleName << "replied after" << ms << "ms; box" << box.has_value()
                       << action->reply.error().message();
            return std::nullopt;
        }
        // The box is still up: nobody has closed it.
        if (!desktop.waitForWindowMatching(title, 200))
            return std::nullopt;
        qInfo().noquote() << QStringLiteral("\"%1\" answered in %2 ms with its box up")
                                 .arg(accessibleName)
                                 .arg(ms);
        return box;
    }

private:
    const Desktop& desktop;
};

} // namespace sorvane::testing
