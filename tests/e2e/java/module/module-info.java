/** A named module for the end-to-end tests: a main class given as MODULE/CLASS. */
module vantrel.probe {
}
