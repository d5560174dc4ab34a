#include "app/verify/DbarFetch.cpp"
