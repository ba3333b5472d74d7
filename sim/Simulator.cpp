namespace zel {}
