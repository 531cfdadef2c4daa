package app;

/**
 * A main class named app.X𝒜, whose name holds a character outside the Basic
 * Multilingual Plane (U+1D49C). Written as escapes so that the source file
 * is plain ASCII; the class file's name on disk is UTF-8.
 */
class X\uD835\uDC9C {
    public static void main(String[] args) {
        System.out.println("main of a class outside the BMP with " + args.length + " arguments");
    }
}
