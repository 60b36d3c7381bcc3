#pragma once

// Dense matrix and vector templates of the linear-algebra toolkit behind the 2-D transform.

#include <algorithm>
#include <vector>

namespace ORQ::Transform {

// A rows x cols matrix in one contiguous block, row i starting at element i * cols. An empty
// matrix has 0 rows and 0 columns.
template <class T> class CNumMatrix {
public:
    CNumMatrix() = default;
    CNumMatrix(int rows, int cols) { Allocate(rows, cols, T()); }
    CNumMatrix(int rows, int cols, const T &value) { Allocate(rows, cols, value); }

    T *operator[](int row) { return m_data.data() + static_cast<size_t>(row) * m_cols; }
    const T *operator[](int row) const { return m_data.data() + static_cast<size_t>(row) * m_cols; }
    int GetRows() const { return m_rows; }
    int GetCols() const { return m_cols; }

    // New storage of the given size; the elements are not kept. Nothing happens when the size
    // is unchanged.
    void Resize(int rows, int cols) {
        if (rows == m_rows && cols == m_cols)
            return;
        Allocate(rows, cols, T());
    }

    // this := a * b; false (and nothing changed) when a's columns differ from b's rows. a or b
    // may be this matrix.
    bool Multiply(const CNumMatrix &a, const CNumMatrix &b) {
        if (a.m_cols != b.m_rows)
            return false;
        CNumMatrix product(a.m_rows, b.m_cols, T());
        for (int i = 0; i < a.m_rows; ++i)
            for (int j = 0; j < b.m_cols; ++j) {
                T sum = T();
                for (int k = 0; k < a.m_cols; ++k)
                    sum += a[i][k] * b[k][j];
                product[i][j] = sum;
            }
        *this = std::move(product);
        return true;
    }

    void SetIdentity(int n) {
        Resize(n, n);
        std::fill(m_data.begin(), m_data.end(), T(0));
        for (int i = 0; i < n; ++i)
            (*this)[i][i] = T(1);
    }

private:
    void Allocate(int rows, int cols, const T &value) {
        if (rows <= 0 || cols <= 0)
            rows = cols = 0;
        m_rows = rows;
        m_cols = cols;
        m_data.assign(static_cast<size_t>(rows) * static_cast<size_t>(cols), value);
    }

    int m_rows = 0;
    int m_cols = 0;
    std::vector<T> m_data;
};

// A vector of size elements (none when the size is 0 or less).
template <class T> class CNumVector {
public:
    explicit CNumVector(int size = 0) : m_data(size > 0 ? static_cast<size_t>(size) : 0) {}
    T &operator[](int i) { return m_data[static_cast<size_t>(i)]; }
    const T &operator[](int i) const { return m_data[static_cast<size_t>(i)]; }
    int GetSize() const { return static_cast<int>(m_data.size()); }

private:
    std::vector<T> m_data;
};

} // namespace ORQ::Transform
