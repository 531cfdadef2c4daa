package app;

import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

/** The Java side of the tests with the real Windows runtime: the first argument picks what it does. */
public class WindowsProbe {
    static {
        // For the startup cache's tests: a VM that dies before main runs.
        if (System.getenv("PROBE_HALT_BEFORE_MAIN") != null) Runtime.getRuntime().halt(134);
    }

    public static void main(String[] args) throws Exception {
        String mode = args.length == 0 ? "args" : args[0];
        switch (mode) {
            case "args": printCodePoints(args); break;
            case "env": for (int i = 1; i < args.length; i++) System.out.println(args[i] + "=" + codePoints(System.getenv(args[i]))); break;
            case "prop": for (int i = 1; i < args.length; i++) System.out.println(args[i] + "=" + codePoints(System.getProperty(args[i]))); break;
            case "exit": System.exit(Integer.parseInt(args[1])); break;
            case "exit-thread": exitFromThread(Integer.parseInt(args[1])); break;
            case "outlive": outlive(); break;
            case "wait": waitForStop(args); break;
            case "restart": restart(Paths.get(args[1]), Integer.parseInt(args[2]), args); break;
            case "throw": throw new IllegalStateException("boom");
            case "handler":
                Thread.setDefaultUncaughtExceptionHandler((t, e) -> System.out.println("handler: " + t.getName() + " " + e));
                throw new IllegalStateException("handled");
            default: System.out.println("unknown mode " + mode);
        }
    }

    static final CountDownLatch stop = new CountDownLatch(1);

    /** A later launch of the app, handed over: printed, and "stop" ends the wait. */
    public static void onLaunch(String workingDirectory, String[] args) {
        StringBuilder line = new StringBuilder("launch " + codePoints(workingDirectory));
        for (String arg : args) line.append(' ').append(codePoints(arg));
        System.out.println(line);
        if (args.length > 0 && args[0].equals("stop")) stop.countDown();
    }

    static void waitForStop(String[] args) throws InterruptedException {
        System.out.println("started " + args.length);
        if (!stop.await(60, TimeUnit.SECONDS)) System.out.println("not stopped");
    }

    /** Counts its runs in `counter` and ends with `status` on the first. */
    static void restart(Path counter, int status, String[] args) throws Exception {
        int run = Files.exists(counter) ? Integer.parseInt(Files.readAllLines(counter).get(0)) + 1 : 1;
        Files.write(counter, String.valueOf(run).getBytes());
        System.out.println("run " + run + " " + codePoints(args[args.length - 1]));
        if (run == 1) System.exit(status);
    }

    static void printCodePoints(String[] args) {
        for (String arg : args) System.out.println(codePoints(arg));
    }

    /** The text's code points, so that no console or file encoding gets in the way. */
    static String codePoints(String text) {
        if (text == null) return "null";
        StringBuilder line = new StringBuilder("[");
        text.codePoints().forEach(c -> line.append(line.length() > 1 ? " " : "").append(String.format("U+%04X", c)));
        return line.append("]").toString();
    }

    static void exitFromThread(int status) throws InterruptedException {
        new Thread(() -> System.exit(status)).start();
        Thread.sleep(60_000);
        System.out.println("not exited");
    }

    static void outlive() {
        Thread late = new Thread(() -> {
            try { Thread.sleep(300); } catch (InterruptedException e) { return; }
            System.out.println("late thread done");
        });
        late.start();
        System.out.println("main done");
    }
}
