// Keeps the engines library non-empty while no engine is built yet.
namespace telvo { int kEnginesAnchor = 0; }
