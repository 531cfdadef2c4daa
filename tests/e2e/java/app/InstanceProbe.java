package app;

import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

/**
 * The Java side of the single-instance tests. main prints its arguments and
 * waits until a launch handed over says "stop" (unless its first argument is
 * "once"); each launch handed over is
 * printed with its working directory. "restart FILE STATUS TIMES" counts its
 * runs in FILE and ends with STATUS for the first TIMES runs.
 */
public class InstanceProbe {
    static final CountDownLatch stop = new CountDownLatch(1);

    static {
        long delay = Long.getLong("probe.slowStart", 0);
        if (delay > 0) {
            System.out.println("initialising");
            sleep(delay);
        }
    }

    public static void main(String[] args) throws Exception {
        if (args.length == 4 && args[0].equals("restart")) {
            restart(args);
            return;
        }
        System.out.println("started " + codePoints(args));
        if (args.length > 0 && args[0].equals("once")) return;
        if (!stop.await(60, TimeUnit.SECONDS)) System.out.println("not stopped");
    }

    public static void onLaunch(String workingDirectory, String[] args) {
        System.out.println("launch " + workingDirectory + " " + codePoints(args));
        if (args.length > 0 && args[0].equals("throw")) throw new IllegalStateException("in onLaunch");
        if (args.length > 0 && args[0].equals("stop")) stop.countDown();
    }

    /** Takes the launches without their working directory. */
    public static class ArgumentsOnly {
        public static void onLaunch(String[] args) {
            InstanceProbe.onLaunch("(none)", args);
        }
    }

    static void restart(String[] args) throws Exception {
        Path counter = Paths.get(args[1]);
        int run = Files.exists(counter) ? Integer.parseInt(Files.readAllLines(counter).get(0)) + 1 : 1;
        Files.write(counter, String.valueOf(run).getBytes());
        System.out.println("run " + run + " " + codePoints(args));
        if (run <= Integer.parseInt(args[3])) System.exit(Integer.parseInt(args[2]));
    }

    /** The arguments' code points, "[U+0061 U+0062] []" for "ab" and "". */
    static String codePoints(String[] args) {
        StringBuilder line = new StringBuilder();
        for (String arg : args) {
            line.append(line.length() > 0 ? " [" : "[");
            arg.codePoints().forEach(c -> line.append(line.charAt(line.length() - 1) == '[' ? "" : " ").append(String.format("U+%04X", c)));
            line.append("]");
        }
        return line.toString();
    }

    static void sleep(long milliseconds) {
        try {
            Thread.sleep(milliseconds);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }
}
