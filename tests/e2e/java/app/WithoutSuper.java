package app;

/** A main class whose superclass is left out of the jar (see run_e2e.py). */
public class WithoutSuper extends AbsentSuper {
    public static void main(String[] args) {
        System.out.println("not reached");
    }
}

/** Compiled, then left out of the jar. */
class AbsentSuper {
}
