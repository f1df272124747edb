#include "Fenwold.h"

int main() { Fenwold::main(); }
