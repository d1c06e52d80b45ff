#include "wire_bytes.h"

namespace WireBytes {

namespace {
constexpr int kVarint = 0;
constexpr int kLen = 2;

void Varint(QByteArray &out, quint64 v)
{
    while (v >= 0x80) {
        out.append(char((v & 0x7f) | 0x80));
        v >>= 7;
    }
    out.append(char(v));
}

void Tag(QByteArray &out, int field, int wire_type)
{
    Varint(out, quint64(field) << 3 | quint64(wire_type));
}

void Bytes(QByteArray &out, int field, const QByteArray &data)
{
    Tag(out, field, kLen);
    Varint(out, quint64(data.size()));
    out.append(data);
}

void Integer(QByteArray &out, int field, qint64 v)
{
    // proto3 leaves out fields that hold their default value.
    if (v == 0)
        return;
    Tag(out, field, kVarint);
    Varint(out, quint64(v)); // negative numbers take ten bytes, two's complement
}

bool ReadVarint(const QByteArray &in, int &pos, quint64 &v)
{
    v = 0;
    for (int shift = 0; shift < 64 && pos < in.size(); shift += 7) {
        const auto byte = uchar(in.at(pos++));
        v |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

// Calls visit(field, wire_type, varint value, bytes) for every field; false when malformed.
template <typename Visit> bool Fields(const QByteArray &in, Visit visit)
{
    int pos = 0;
    while (pos < in.size()) {
        quint64 tag = 0;
        if (!ReadVarint(in, pos, tag))
            return false;
        const int field = int(tag >> 3);
        const int type = int(tag & 7);
        quint64 value = 0;
        QByteArray data;
        if (type == kVarint) {
            if (!ReadVarint(in, pos, value))
                return false;
        } else if (type == kLen) {
            if (!ReadVarint(in, pos, value) || value > quint64(in.size() - pos))
                return false;
            data = in.mid(pos, int(value));
            pos += int(value);
        } else {
            return false;
        }
        visit(field, type, value, data);
    }
    return true;
}
} // namespace

QByteArray FileRequest(const QString &path, qint64 size)
{
    QByteArray inner;
    Bytes(inner, 1, path.toUtf8());
    Integer(inner, 2, size);
    QByteArray out;
    Bytes(out, 2, inner);
    return out;
}

QByteArray FileResponse(bool accept, qint64 port, const QString &path)
{
    QByteArray inner;
    Integer(inner, 1, accept ? 1 : 0);
    Integer(inner, 2, port);
    Bytes(inner, 3, path.toUtf8());
    QByteArray out;
    Bytes(out, 3, inner);
    return out;
}

QByteArray StrMsg(const QString &text)
{
    QByteArray out;
    Bytes(out, 1, text.toUtf8());
    return out;
}

Decoded Decode(const QByteArray &bytes)
{
    Decoded d;
    QByteArray body;
    const bool ok = Fields(bytes, [&](int field, int type, quint64, const QByteArray &data) {
        if (type == kLen && field >= 1 && field <= 3) {
            d.body = field;
            body = data;
        }
    });
    if (!ok || d.body < 2)
        return d;
    const bool inner_ok = Fields(body, [&](int field, int, quint64 value, const QByteArray &data) {
        if (d.body == 2 && field == 1)
            d.path = QString::fromUtf8(data);
        else if (d.body == 2 && field == 2)
            d.size = qint64(value);
        else if (d.body == 3 && field == 1)
            d.accept = value != 0;
        else if (d.body == 3 && field == 2)
            d.port = qint64(value);
        else if (d.body == 3 && field == 3)
            d.path = QString::fromUtf8(data);
    });
    if (!inner_ok)
        d.body = 0;
    return d;
}

} // namespace WireBytes
