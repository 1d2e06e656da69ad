#pragma once
// Table-driven tests over an array of rows, each starting with its name:
// addRows(rows) in the _data function, currentRow(rows) in the test.

#include <QtTest>

#include <cstddef>

template <typename Row, std::size_t N>
void addRows(const Row (&rows)[N])
{
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].name) << int(i);
}

template <typename Row, std::size_t N>
const Row &currentRow(const Row (&rows)[N])
{
    return rows[*static_cast<int *>(QTest::qData("row", qMetaTypeId<int>()))];
}
