// Runs the conformer encoder of a comparison folder (see
// bench/PlatformModelRuntime/EncoderBundles.hpp) through ONNX Runtime:
// builds peer/model.onnx over the raw weights once, then for each thread
// count and input length times `runs` runs after one warm-up and leaves
// peer-<seconds>s-<threads>t.json (median ms) and .f32 (the output) beside
// the inputs.
//
//   node peer.mjs --dir DIR --seconds 10,60 --threads 1,8 --runs 5 [--describe]
//
// --describe saves the model as the runtime optimised it and prints the
// operators it runs, by kind.

import fs from 'node:fs';
import path from 'node:path';
import { performance } from 'node:perf_hooks';
import ort from 'onnxruntime-node';

import { INPUT, OUTPUT, buildConformerGraph } from './conformerGraph.mjs';
import { ModelProto } from './onnxModel.mjs';

function parseArguments(argv) {
  const options = {};
  for (let i = 0; i < argv.length; i++) {
    if (!argv[i].startsWith('--')) throw new Error(`unexpected argument "${argv[i]}"`);
    const key = argv[i].slice(2);
    options[key] = i + 1 < argv.length && !argv[i + 1].startsWith('--') ? argv[++i] : true;
  }
  const list = (text) => String(text).split(',').map(Number);
  if (!options.dir) throw new Error('--dir is required');
  return {
    dir: options.dir,
    seconds: list(options.seconds ?? '10'),
    threads: list(options.threads ?? '1'),
    runs: Number(options.runs ?? 5),
    describe: Boolean(options.describe),
  };
}

function buildModel(dir) {
  const peerDir = path.join(dir, 'peer');
  const modelPath = path.join(peerDir, 'model.onnx');
  const indexPath = path.join(peerDir, 'graph.json');
  if (!fs.existsSync(modelPath) || fs.statSync(modelPath).mtimeMs < fs.statSync(indexPath).mtimeMs) {
    const index = JSON.parse(fs.readFileSync(indexPath, 'utf8'));
    fs.writeFileSync(modelPath, buildConformerGraph(index));
  }
  return modelPath;
}

function readFloats(file) {
  const bytes = fs.readFileSync(file);
  return new Float32Array(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength));
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

function sessionOptions(threads, optimizedPath) {
  const options = {
    intraOpNumThreads: threads,
    interOpNumThreads: 1,
    executionMode: 'sequential',
    graphOptimizationLevel: 'all',
    executionProviders: ['cpu'],
  };
  if (optimizedPath) {
    options.optimizedModelFilePath = optimizedPath;
    // Large initializers go to a side file, or the message would pass 2 GB.
    options.extra = {
      session: {
        optimized_model_external_initializers_file_name: 'optimized.weights',
        optimized_model_external_initializers_min_size_in_bytes: '1024',
      },
    };
  }
  return options;
}

function describeOptimized(optimizedPath) {
  const model = ModelProto.decode(fs.readFileSync(optimizedPath));
  const counts = new Map();
  for (const node of model.graph.node) {
    const key = node.domain ? `${node.domain}.${node.op_type}` : node.op_type;
    counts.set(key, (counts.get(key) ?? 0) + 1);
  }
  const listing = [...counts].sort((a, b) => b[1] - a[1]).map(([op, n]) => `${op} x${n}`);
  console.log(`peer: operators after optimisation: ${listing.join(', ')}`);
}

async function main() {
  const args = parseArguments(process.argv.slice(2));
  const modelPath = buildModel(args.dir);
  console.log(`peer: onnxruntime-node ${ort.env.versions.node}, ${path.relative(process.cwd(), modelPath)}`);
  let describe = args.describe;
  for (const threads of args.threads) {
    const optimizedPath = describe ? path.join(args.dir, 'peer', 'optimized.onnx') : undefined;
    const started = performance.now();
    const session = await ort.InferenceSession.create(modelPath, sessionOptions(threads, optimizedPath));
    const createMs = performance.now() - started;
    if (describe) {
      describeOptimized(optimizedPath);
      describe = false;
    }
    for (const seconds of args.seconds) {
      const features = readFloats(path.join(args.dir, `input-${seconds}s.f32`));
      const frames = features.length / 128;
      const feeds = { [INPUT]: new ort.Tensor('float32', features, [1, 128, frames]) };
      let output = (await session.run(feeds))[OUTPUT];
      const times = [];
      for (let run = 0; run < args.runs; run++) {
        const start = performance.now();
        output = (await session.run(feeds))[OUTPUT];
        times.push(performance.now() - start);
      }
      const stem = path.join(args.dir, `peer-${seconds}s-${threads}t`);
      const data = output.data;
      fs.writeFileSync(`${stem}.f32`, Buffer.from(data.buffer, data.byteOffset, data.byteLength));
      const ms = median(times);
      fs.writeFileSync(`${stem}.json`, JSON.stringify({ ms, runs: times, threads, dims: output.dims, createMs }, null, 1) + '\n');
      console.log(`peer: ${seconds} s, ${threads} thread(s): ${ms.toFixed(1)} ms (session ${createMs.toFixed(0)} ms)`);
    }
    await session.release();
  }
}

main().catch((error) => {
  console.error(`peer: ${error.stack ?? error}`);
  process.exit(1);
});
