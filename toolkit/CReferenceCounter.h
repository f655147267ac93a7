#pragma once

// The base of every view, bitmap, draw context and menu scheme. Whoever
// creates an object holds its first reference; every other holder remembers
// it and forgets it when done. Objects are made with new.

class CReferenceCounter {
  public:
    CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;
    virtual ~CReferenceCounter() = default;

    // Deletes the object when this was the last reference.
    virtual void forget()
    {
        if (nbReference-- == 1) delete this;
    }
    virtual void remember() { ++nbReference; }
    long getNbReference() const { return nbReference; }

  private:
    long nbReference = 1;
};
