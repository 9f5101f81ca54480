#pragma once
// What the transmit window's folder and file lists show: wildcard patterns as the classic file
// list understands them, and the listing of one folder. Plain functions so they are tested directly.
#include <QString>
#include <QStringList>

// True when `nome` matches one of the patterns in `padroes`, separated by ";". "*" stands for any
// run of characters, "?" for one; letters match without regard to case. A pattern ending in ".*"
// also takes a name without any extension ("*.*" takes every name). No pattern at all takes every name.
bool Casa_Padrao(const QString &nome, const QString &padroes);

// Names (no folder) of the visible files in `pasta` that match `padroes`, sorted without regard to case.
QStringList Arquivos_Da_Pasta(const QString &pasta, const QString &padroes);

// Full paths of the visible subfolders of `pasta`, sorted without regard to case.
QStringList Subpastas(const QString &pasta);

// Whether `pasta` is a folder whose entries can be listed.
bool Pasta_Legivel(const QString &pasta);

// `pasta` (absolute, cleaned) and each folder above it, the root first.
QStringList Ancestrais(const QString &pasta);
