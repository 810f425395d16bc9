#pragma once

class Dataset;

/**
 * A named link to a dataset through which a form binds its entry fields, so that the
 * form can be pointed at another dataset in one place.
 */
class DataSource {
public:
    explicit DataSource(Dataset* dataset = nullptr) : m_dataset(dataset) {}
    /// The dataset the source is bound to; not owned, may be null.
    Dataset* dataset() const { return m_dataset; }
    void setDataset(Dataset* dataset) { m_dataset = dataset; }

private:
    Dataset* m_dataset;
};
